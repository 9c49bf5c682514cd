# Where `cmake --install` puts things. The programs keep their portable
# layout in one program folder (the images and the manual beside them, as in
# the build's bin/); the commands reach the PATH as relative links to it.
include_guard(DIRECTORY)
include(GNUInstallDirs)

# Debian puts a package's private programs in /usr/lib/PACKAGE, never in the
# multiarch folder that CMAKE_INSTALL_LIBDIR names there.
set(TW_PROGRAM_INSTALL_DIR lib/zephyrix-trailwright)
set(TW_PROGRAM_INSTALL_FULL_DIR ${CMAKE_INSTALL_PREFIX}/${TW_PROGRAM_INSTALL_DIR})
# Debian names the documentation folder after the package, not the project
# (which is what CMAKE_INSTALL_DOCDIR would use).
set(TW_DOC_INSTALL_DIR ${CMAKE_INSTALL_DATADIR}/doc/zephyrix-trailwright)

# Installs PREFIX/bin/NAME as a relative link to the program folder's NAME,
# so that the tree can be moved (DESTDIR, the package's staging folder).
function(tw_install_command_link name)
  file(RELATIVE_PATH target /${CMAKE_INSTALL_BINDIR} /${TW_PROGRAM_INSTALL_DIR}/${name})
  set(link ${CMAKE_BINARY_DIR}/install-links/${name})
  file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/install-links)
  file(CREATE_LINK ${target} ${link} SYMBOLIC)
  install(FILES ${link} DESTINATION ${CMAKE_INSTALL_BINDIR})
endfunction()
