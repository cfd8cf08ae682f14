# Installation and the Debian package.
#
# The programs look for a "resources" folder beside their executable, so they live together in a private
# folder (lib/strata) with the resources reached through a link to share/strata, where architecture-independent
# files belong. bin/ holds small launchers rather than symlinks: a program started through a symlink on PATH
# sees only its bare name and cannot tell where it lies.
include(GNUInstallDirs)

# Not the multiarch libdir: that is for shared libraries; private programs go to lib/<package>.
set(STRATA_INSTALL_PROGRAM_DIR lib/strata)
set(STRATA_INSTALL_DATA_DIR ${CMAKE_INSTALL_DATADIR}/strata)
set(STRATA_UDEV_RULES_DIR /lib/udev/rules.d CACHE PATH "Where the DSP access rule is installed")

# Chinese glyphs: the build copies Debian's font beside the programs; an installation links to the system's
# copy instead, which the package depends on.
set(STRATA_CJK_FONT /usr/share/fonts/truetype/wqy/wqy-microhei.ttc)
set(STRATA_CJK_FONT_PACKAGE fonts-wqy-microhei)

set(STRATA_PACKAGING_DIR ${PROJECT_SOURCE_DIR}/packaging/linux)

# strata_install_program(target command): installs the target beside the resources and a launcher for it.
function(strata_install_program target command)
    install(TARGETS ${target} RUNTIME DESTINATION ${STRATA_INSTALL_PROGRAM_DIR})
    file(RELATIVE_PATH STRATA_LAUNCHER_TO_PROGRAMS /${CMAKE_INSTALL_BINDIR} /${STRATA_INSTALL_PROGRAM_DIR})
    set(STRATA_LAUNCHED ${target})
    configure_file(${STRATA_PACKAGING_DIR}/launcher.sh.in ${CMAKE_BINARY_DIR}/launchers/${command} @ONLY)
    install(PROGRAMS ${CMAKE_BINARY_DIR}/launchers/${command} DESTINATION ${CMAKE_INSTALL_BINDIR})
endfunction()

if(NOT STRATA_CORE_ONLY)
    install(DIRECTORY ${PROJECT_SOURCE_DIR}/resources/ DESTINATION ${STRATA_INSTALL_DATA_DIR}/resources)
    file(RELATIVE_PATH strata_programs_to_data /${STRATA_INSTALL_PROGRAM_DIR} /${STRATA_INSTALL_DATA_DIR}/resources)
    install(CODE "
        set(root \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}\")
        file(MAKE_DIRECTORY \"\${root}/${STRATA_INSTALL_PROGRAM_DIR}\" \"\${root}/${STRATA_INSTALL_DATA_DIR}/resources/font\")
        file(CREATE_LINK \"${strata_programs_to_data}\" \"\${root}/${STRATA_INSTALL_PROGRAM_DIR}/resources\" SYMBOLIC)
        get_filename_component(font_name \"${STRATA_CJK_FONT}\" NAME)
        file(CREATE_LINK \"${STRATA_CJK_FONT}\" \"\${root}/${STRATA_INSTALL_DATA_DIR}/resources/font/\${font_name}\" SYMBOLIC)
        message(STATUS \"Linked: \${root}/${STRATA_INSTALL_PROGRAM_DIR}/resources and the font\")")

    install(FILES ${STRATA_PACKAGING_DIR}/kestrel-strata.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
    install(DIRECTORY ${STRATA_PACKAGING_DIR}/icons/hicolor DESTINATION ${CMAKE_INSTALL_DATADIR}/icons)
    install(FILES ${PROJECT_SOURCE_DIR}/art/icon.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps
            RENAME kestrel-strata.svg)
    install(FILES ${STRATA_PACKAGING_DIR}/60-strata.rules DESTINATION ${STRATA_UDEV_RULES_DIR})
endif()

set(CPACK_PACKAGE_NAME strata)
set(CPACK_PACKAGE_VENDOR Kestrel)
set(CPACK_PACKAGE_CONTACT "Strata maintainers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Control application for the Ardent and Brio USB mixers")
set(CPACK_PACKAGE_DESCRIPTION
    "Strata shows and edits every voice-effect parameter of a connected Ardent, Brio, Brio Max or Brio Solo
mixer, switches and copies its modes, manages the nine jingles and writes them into the mixer's DSP, and
saves and loads the whole configuration as a project file. strata-cli is its console for diagnostics.")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_STRIP_FILES ON)
# Absolute destinations (the udev rule) must land inside the package, not on the building machine.
set(CPACK_SET_DESTDIR ON)
set(CPACK_INSTALL_PREFIX /usr)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_GENERATOR DEB)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# Linked libraries come from dpkg-shlibdeps; JUCE opens the X11 extension libraries itself at run time.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "${STRATA_CJK_FONT_PACKAGE}, libx11-6, libxext6, libxcursor1, libxinerama1, libxrandr2, libxrender1")
# Native file dialogs when one of these is there; JUCE's own browser otherwise.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "zenity | kdialog")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${STRATA_PACKAGING_DIR}/postinst)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
