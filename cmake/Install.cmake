# What `cmake --install` puts in place, under any prefix (GNUInstallDirs): the program and
# kqltool, the desktop entry, the icon in every size, the movie file type, the AppStream
# description, the manual pages (made from --help by help2man) and the copyright and
# change log that a Debian package carries.
include(GNUInstallDirs)

set(QUELLON_DATA_DIR ${PROJECT_SOURCE_DIR}/data)

install(TARGETS quellon kqltool RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${QUELLON_DATA_DIR}/quellon.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${QUELLON_DATA_DIR}/quellon.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
foreach(size 16 24 32 48 64 128 256)
  install(FILES ${QUELLON_DATA_DIR}/icons/${size}x${size}/quellon.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
endforeach()
install(FILES ${QUELLON_DATA_DIR}/quellon-mime.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages
        RENAME quellon.xml)
install(FILES ${QUELLON_DATA_DIR}/org.quellon.Quellon.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

# The change log compressed as Debian wants it: no name or time stamp in the gzip header, so
# the same text always gives the same bytes.
set(QUELLON_CHANGELOG_GZ ${PROJECT_BINARY_DIR}/doc/changelog.gz)
add_custom_command(OUTPUT ${QUELLON_CHANGELOG_GZ}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${PROJECT_BINARY_DIR}/doc
  COMMAND sh -c "gzip -9nc '${QUELLON_DATA_DIR}/changelog' > '${QUELLON_CHANGELOG_GZ}'"
  DEPENDS ${QUELLON_DATA_DIR}/changelog
  VERBATIM)
add_custom_target(quellon_docs ALL DEPENDS ${QUELLON_CHANGELOG_GZ})
# The documentation folder is named after the package, whatever the project is called.
install(FILES ${QUELLON_DATA_DIR}/copyright ${QUELLON_CHANGELOG_GZ} DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/quellon)

# Manual pages from the programs' own --help, so they cannot say otherwise. --help needs no
# display (it is answered before the windowing system starts). The sanitizer and fuzzing
# builds are for tests, not for installing: they make none.
find_program(HELP2MAN_EXECUTABLE help2man)
if(QUELLON_SANITIZE OR QUELLON_TSAN OR QUELLON_FUZZ)
  # nothing
elseif(HELP2MAN_EXECUTABLE)
  set(man_dir ${PROJECT_BINARY_DIR}/man)
  set(man_pages)
  foreach(tool quellon kqltool)
    if(tool STREQUAL "quellon")
      set(name "turn videos into movies for a 131 x 80 screen with 16 grey levels")
    else()
      set(name "convert pictures, render, check and capture Quellon movies from the command line")
    endif()
    # kqltool's page also holds the --help of each of its commands.
    set(include)
    set(include_option)
    if(tool STREQUAL "kqltool")
      set(include ${man_dir}/kqltool-commands.h2m)
      set(include_option --include=${include})
      add_custom_command(OUTPUT ${include}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${man_dir}
        COMMAND ${CMAKE_COMMAND} -DKQLTOOL=$<TARGET_FILE:kqltool> -DOUTPUT=${include}
                -P ${PROJECT_SOURCE_DIR}/cmake/KqltoolCommands.cmake
        DEPENDS kqltool ${PROJECT_SOURCE_DIR}/cmake/KqltoolCommands.cmake
        VERBATIM)
    endif()
    add_custom_command(OUTPUT ${man_dir}/${tool}.1.gz
      COMMAND ${CMAKE_COMMAND} -E make_directory ${man_dir}
      COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen
              ${HELP2MAN_EXECUTABLE} --no-info --no-discard-stderr --section=1
              --version-string=${PROJECT_VERSION} --name=${name} ${include_option}
              --output=${man_dir}/${tool}.1 $<TARGET_FILE:${tool}>
      COMMAND gzip -9nf ${man_dir}/${tool}.1
      DEPENDS ${tool} ${include}
      COMMENT "Manual page ${tool}(1) from ${tool} --help"
      VERBATIM)
    list(APPEND man_pages ${man_dir}/${tool}.1.gz)
  endforeach()
  add_custom_target(quellon_manpages ALL DEPENDS ${man_pages})
  install(FILES ${man_pages} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
else()
  message(WARNING "help2man not found (scripts/install-deps.sh installs it): no manual pages")
endif()
