# orv_plugin_code(TARGET): code that is linked into the plug-in. Its symbols
# stay hidden: the shared library exports only its two entry points.
function(orv_plugin_code target)
  target_compile_options(${target} PRIVATE -fvisibility=hidden -fvisibility-inlines-hidden)
endfunction()
