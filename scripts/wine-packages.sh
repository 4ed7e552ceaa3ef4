# Sourced by install-wine.sh and run-on-wine.sh: the Debian packages that
# running the Windows build needs.
# Wine with its 64-bit loader, a virtual X server and Mesa's software OpenGL.
wine_packages=(wine wine64 xvfb libgl1-mesa-dri)
# Wine's 32-bit part for the x86 build, with Mesa's 32-bit OpenGL: without
# it Wine's 32-bit Direct3DCreate8 returns null. The X extensions' libraries
# that the 64-bit side has too: without XRandR 32-bit Wine lists only the
# current display mode (at 60 Hz) instead of the X server's modes.
wine32_packages=(wine32:i386 libgl1:i386 libglx-mesa0:i386 libgl1-mesa-dri:i386
                 libxrandr2:i386 libxrender1:i386 libxi6:i386 libxcursor1:i386
                 libxinerama1:i386 libxcomposite1:i386)
