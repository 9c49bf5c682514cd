# The Debian package: `cpack -G DEB` in the build folder packs what
# `cmake --install` lays out, under /usr.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME zephyrix-trailwright)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Zephyrix")
set(CPACK_PACKAGE_CONTACT "Zephyrix Trailwright developers <dev@zephyrix.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "HTML site map builder for websites in a local folder")
set(CPACK_PACKAGE_HOMEPAGE_URL "https://www.zephyrix.example/trailwright/")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
# Release builds keep debug information; the package does not need it.
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${CPACK_PACKAGE_CONTACT}")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION web)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The Qt and C++ runtime libraries the programs link, as dpkg-shlibdeps finds them.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# check --external verifies TLS certificates against the system's CAs.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "ca-certificates")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# The long text under the summary line, which CPack puts first itself.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Zephyrix Trailwright builds a site map page for a website whose files lie in
a local folder. Name the site's index page: it walks the folder tree, keeps
the pages whose types you list, takes the link texts from the pages' titles
and writes the site map as a complete HTML page, with small item pictures
beside it.
.
The package holds the desktop wizard, trailwright, and trailwright-cli, the
same scan and generation for build scripts and servers.")

include(CPack)
