# What `cmake --install` puts on the system, and the Debian package made of
# it with `cpack -G DEB`.
include(GNUInstallDirs)

find_program(HELP2MAN help2man REQUIRED)
find_program(GZIP gzip REQUIRED)

# gzip -n leaves out the name and the time, so that the same file always
# packs to the same bytes.
function(_vantrel_gzip source output)
    add_custom_command(OUTPUT ${output}
        COMMAND ${GZIP} -9n -c ${source} > ${output}
        DEPENDS ${source} VERBATIM)
endfunction()

# Installs a program with its manual page. The page is made from the
# program's own --help and --version, with the sections of
# resources/man/<program>.h2m, so that it never falls behind the options.
function(vantrel_install_program target)
    install(TARGETS ${target} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
    # A stripped build also loses the compiler's notes, as dh_strip does.
    install(CODE "if(CMAKE_INSTALL_DO_STRIP)
        execute_process(COMMAND \"${CMAKE_STRIP}\" --remove-section=.comment --remove-section=.note
            \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/${target}\" COMMAND_ERROR_IS_FATAL ANY)
    endif()")

    set(_sections ${PROJECT_SOURCE_DIR}/resources/man/${target}.h2m)
    set(_page ${CMAKE_CURRENT_BINARY_DIR}/${target}.1)
    add_custom_command(OUTPUT ${_page}
        COMMAND ${HELP2MAN} --no-info --include=${_sections} --output=${_page} $<TARGET_FILE:${target}>
        DEPENDS ${target} ${_sections} VERBATIM)
    _vantrel_gzip(${_page} ${_page}.gz)
    add_custom_target(${target}_manual_page ALL DEPENDS ${_page}.gz)
    install(FILES ${_page}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endfunction()

set(_desktop ${PROJECT_SOURCE_DIR}/resources/desktop)
install(FILES ${_desktop}/vantrel.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
# The AppStream data names the version in its links: filled in from project().
set(_metainfo ${CMAKE_BINARY_DIR}/example.vantrel.Vantrel.metainfo.xml)
configure_file(${_desktop}/example.vantrel.Vantrel.metainfo.xml.in ${_metainfo} @ONLY)
install(FILES ${_metainfo} DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
foreach(_size 16 24 32 48 64 128 256)
    install(FILES ${_desktop}/vantrel-${_size}.png
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${_size}x${_size}/apps RENAME vantrel.png)
endforeach()

# The package is made here, from the program's own tree, so in Debian's terms
# it is native: its changelog is changelog.gz, not changelog.Debian.gz.
set(_debian ${PROJECT_SOURCE_DIR}/resources/debian)
set(_changelog ${CMAKE_BINARY_DIR}/changelog.gz)
_vantrel_gzip(${_debian}/changelog ${_changelog})
add_custom_target(debian_changelog ALL DEPENDS ${_changelog})
install(FILES ${_debian}/copyright ${_changelog} DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/vantrel)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME vantrel)
set(CPACK_PACKAGE_VENDOR Vantrel)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Turn links to video pages into MP3 or WAV files")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
"Vantrel reads the page each link points to, picks a stream, downloads it
with pause and resume, and converts its sound to MP3 (through the lame
encoder) or WAV. MP3 files are tagged with ID3v2.3 and ID3v1: title, link,
a comment and the cover picture.

Links are pasted, dropped or picked up from the clipboard. vantrel-cli does
the same work from the command line.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Vantrel <support@vantrel.example>")
# Not free software: its place is the archive's non-free area.
set(CPACK_DEBIAN_PACKAGE_SECTION non-free/sound)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE http://www.vantrel.example)
# The libraries (Qt, FFmpeg) from what the programs link; the encoder is a
# program they start, which no linker sees.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS lame)
# Pages of today's sites are read through yt-dlp, and Qt's own words
# (shortcuts, dialogs, network reasons) come in the user's language from Qt's
# translations; without either the rest works.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "yt-dlp, qt6-translations-l10n")
include(CPack)
