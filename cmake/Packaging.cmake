# The Debian package, made by CPack's DEB generator from the install rules (scripts/package
# configures with prefix /usr and runs it). The programs live with their own files in
# ${LUMIGROVE_INSTALL_DIR}, linked from bin; the desktop entry, icons, manual pages,
# copyright and changelog under share.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME lumigrove)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX ${CMAKE_INSTALL_PREFIX})
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "build a word-processor document of pictures, one per page")
set(CPACK_PACKAGE_DESCRIPTION [=[
Lumigrove collects picture files in an ordered list and inserts them into a new
LibreOffice Writer document, embedded, with a page break between two pictures,
so that the document holds one picture per page (or two or four, with captions
if wished). The window leaves the document open in Writer for editing;
lumigrove-batch builds the same document from the command line and stores it
as ODT, DOCX or PDF.]=])

set(LUMIGROVE_PACKAGE_MAINTAINER "Lumigrove developers <lumigrove@example.org>"
    CACHE STRING "The Maintainer field of the Debian package")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${LUMIGROVE_PACKAGE_MAINTAINER})
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# The shared libraries (Qt, libexif, exiv2, libheif, libjpeg, the UNO runtime through Debian's
# links in the system's library folder) give most of Depends. Besides them: the Writer the
# programs drive, either build of it, and the Qt plugins loaded at run time: the platform
# plugins of the window and the TIFF and WebP readers of both programs.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "libreoffice-writer | libreoffice-writer-nogui, qt6-qpa-plugins, qt6-image-formats-plugins")
# The window asks for Arial; its metric twin keeps the captions inside their buttons.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-liberation")

include(CPack)
