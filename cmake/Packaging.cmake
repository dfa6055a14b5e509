# Installing and packaging. `cmake --install` puts the program folder, as the build tree holds it
# in TALLOWMERE_BIN_DIR, into <prefix>/lib/tallowmere/ (both programs, data/, sound/, hilfe/,
# euromuenzen/ and the bundled topics), links <prefix>/bin/tallowmere and <prefix>/bin/zeptool to
# it, and adds what a desktop needs: the menu entries, the icons, the file type of topics, the
# AppStream description, the manual pages, the copyright file and the changelog. The install
# rules of the program folder's parts sit beside the targets that make them; this file holds
# the rest and the settings of the Debian package that `cpack` (tools/package) builds.

set(TALLOWMERE_RELEASE_DATE 2026-12-08)
set(desktop_source_dir ${PROJECT_SOURCE_DIR}/content/desktop)
set(desktop_build_dir ${CMAKE_BINARY_DIR}/desktop)
set(doc_dir share/doc/tallowmere)

# Relative links, so that the package can be unpacked below any root and still work; the
# program finds its folder through the link's target.
file(MAKE_DIRECTORY ${desktop_build_dir}/bin)
foreach(program tallowmere zeptool)
    file(CREATE_LINK ../${TALLOWMERE_INSTALL_DIR}/${program} ${desktop_build_dir}/bin/${program} SYMBOLIC)
    install(FILES ${desktop_build_dir}/bin/${program} DESTINATION bin)
endforeach()

# A stripped install (CPack strips) also drops the sections that only name the compiler, as
# Debian's own packaging does.
install(CODE "
    if(CMAKE_INSTALL_DO_STRIP)
        foreach(program tallowmere zeptool module/libtallowmere-sound.so)
            execute_process(COMMAND \"${CMAKE_STRIP}\" --remove-section=.comment --remove-section=.note
                \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${TALLOWMERE_INSTALL_DIR}/\${program}\"
                COMMAND_ERROR_IS_FATAL ANY)
        endforeach()
    endif()")

# The marker that tells an installed program to write into the user's data folder, even when
# root runs it (see common/folders.h).
file(WRITE ${desktop_build_dir}/installiert
    "Diese Datei zeigt dem Programm, dass es installiert ist: Protokolle, Bestenlisten und\n"
    "Netzwerkdateien legt es im Datenordner des Benutzers an, nicht in seinem eigenen Ordner.\n")
install(FILES ${desktop_build_dir}/installiert DESTINATION ${TALLOWMERE_INSTALL_DIR}/data)

configure_file(${desktop_source_dir}/de.kestrova.Tallowmere.metainfo.xml
    ${desktop_build_dir}/de.kestrova.Tallowmere.metainfo.xml @ONLY)
# Two menu entries: the program, and the program with its authoring functions (--autor).
install(FILES ${desktop_source_dir}/de.kestrova.Tallowmere.desktop
    ${desktop_source_dir}/de.kestrova.Tallowmere.editor.desktop DESTINATION share/applications)
install(FILES ${desktop_build_dir}/de.kestrova.Tallowmere.metainfo.xml DESTINATION share/metainfo)
install(FILES ${desktop_source_dir}/de.kestrova.Tallowmere.xml DESTINATION share/mime/packages)
install(FILES ${desktop_source_dir}/copyright DESTINATION ${doc_dir})

# Debian wants the changelog and the manual pages compressed with gzip -9, without a time
# stamp, so that the same sources always give the same package.
find_program(GZIP_PROGRAM gzip REQUIRED)
set(compressed_docs "")
foreach(doc tallowmere.1 zeptool.1 changelog)
    set(source ${desktop_source_dir}/${doc})
    if(doc MATCHES "\\.1$")
        configure_file(${source} ${desktop_build_dir}/${doc} @ONLY)
        set(source ${desktop_build_dir}/${doc})
    endif()
    add_custom_command(
        OUTPUT ${desktop_build_dir}/${doc}.gz
        COMMAND ${GZIP_PROGRAM} -9nc ${source} > ${desktop_build_dir}/${doc}.gz
        DEPENDS ${source}
        COMMENT "Compressing ${doc}")
    list(APPEND compressed_docs ${desktop_build_dir}/${doc}.gz)
endforeach()
add_custom_target(tallowmere_docs ALL DEPENDS ${compressed_docs})
install(FILES ${desktop_build_dir}/tallowmere.1.gz ${desktop_build_dir}/zeptool.1.gz DESTINATION share/man/man1)
install(FILES ${desktop_build_dir}/changelog.gz DESTINATION ${doc_dir})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tallowmere)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR Kestrova)
set(CPACK_PACKAGE_CONTACT "Kestrova Tallowmere <tallowmere@kestrova.de>")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/package)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION education)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
# The libraries come from dpkg-shlibdeps; the rest is loaded at run time where it cannot see
# it: Qt's German texts, the fonts the pictures and cards are drawn with (Liberation Sans for
# Arial), and xdg-utils for opening links and sending a topic by e-mail.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-translations-l10n, fonts-liberation2, xdg-utils")
# The first line is the synopsis; CPack indents the rest and marks the empty line.
string(CONCAT CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "German-language quiz and learning program for school and home\n"
    "A topic file (.zep) holds a picture with labels, cloze gaps and single\n"
    "questions. The pupil drags labels onto the picture, fills gaps or picks\n"
    "answer tiles, is timed and graded on the German school scale, and gets\n"
    "a protocol and a high-score list. The program speaks German.\n"
    "\n"
    "This edition ships quizzes on the euro coins and the flags of the\n"
    "euro-area countries. It also has a learning card to uncover, zoom and\n"
    "draw on, a classroom network exercise with a control display for the\n"
    "teacher, a worksheet generator, and zeptool, a command-line tool that\n"
    "makes, reads and draws topic files.")
# Without dpkg-shlibdeps CPack would write a package without library dependencies; refuse.
set(CPACK_PROJECT_CONFIG_FILE ${PROJECT_SOURCE_DIR}/cmake/PackageChecks.cmake)
include(CPack)
