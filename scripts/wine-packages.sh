# Sourced by install-wine.sh and run-on-wine.sh: the Debian packages that
# running the Windows build needs.
# Wine with its 64-bit loader, a virtual X server and Mesa's software OpenGL.
wine_packages=(wine wine64 xvfb libgl1-mesa-dri)
# Wine's 32-bit part for the x86 build, with Mesa's 32-bit OpenGL: without
# it Wine's 32-bit Direct3DCreate8 returns null.
wine32_packages=(wine32:i386 libgl1:i386 libglx-mesa0:i386 libgl1-mesa-dri:i386)
