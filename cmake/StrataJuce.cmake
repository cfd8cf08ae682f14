# The JUCE modules are compiled once, into strata_juce, which every executable links. It links the modules
# PRIVATE and re-exports their include folders and definitions, so nothing else compiles module sources.
set(STRATA_JUCE_MODULES juce_core juce_events juce_data_structures)
if(NOT STRATA_CORE_ONLY)
    list(APPEND STRATA_JUCE_MODULES juce_graphics juce_gui_basics juce_gui_extra juce_audio_basics juce_audio_devices)
endif()

add_library(strata_juce STATIC)
foreach(module IN LISTS STRATA_JUCE_MODULES)
    target_link_libraries(strata_juce PRIVATE juce::${module})
endforeach()
target_compile_definitions(strata_juce PUBLIC
    JUCE_GLOBAL_MODULE_SETTINGS_INCLUDED=1
    JUCE_STANDALONE_APPLICATION=1
    JUCE_USE_CURL=0
    JUCE_WEB_BROWSER=0
    JUCE_JACK=0
    JUCE_DISPLAY_SPLASH_SCREEN=0
    JUCE_USE_XRANDR=1
    JUCE_MODAL_LOOPS_PERMITTED=1
    # Debug builds would print the framework's version on standard error at start, which the CLI keeps
    # for its own messages.
    JUCE_DISABLE_JUCE_VERSION_PRINTING=1
    $<$<CONFIG:Debug>:DEBUG=1>
    $<$<NOT:$<CONFIG:Debug>>:NDEBUG=1>)
if(NOT STRATA_CORE_ONLY AND CMAKE_SYSTEM_NAME STREQUAL "Linux")
    # Debian's juce_graphics decodes pictures with the system libpng and libjpeg.
    target_link_libraries(strata_juce PUBLIC juce::pkgconfig_JUCE_IMG_LINUX_DEPS)
    # JUCE opens libX11 itself and closes it at shutdown, which leaves the sanitizer's leak report unable to
    # name it. Linked, it stays loaded (the sanitizer builds link without --as-needed; others drop it).
    find_package(X11 REQUIRED)
    target_link_libraries(strata_juce PUBLIC X11::X11)
endif()
target_include_directories(strata_juce INTERFACE $<TARGET_PROPERTY:strata_juce,INCLUDE_DIRECTORIES>)
target_compile_definitions(strata_juce INTERFACE $<TARGET_PROPERTY:strata_juce,COMPILE_DEFINITIONS>)
set_target_properties(strata_juce PROPERTIES UNITY_BUILD OFF)
# In the sanitizer builds the framework compiles unoptimised: its module files are large, instrumented
# optimisation of them took most of those builds, and the instrumentation still sees everything.
if(STRATA_SANITIZE)
    target_compile_options(strata_juce PRIVATE -O0)
endif()
