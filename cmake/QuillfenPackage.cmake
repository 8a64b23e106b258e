# A Debian package of the install layout: `cpack -G DEB` in the build
# folder. The library dependencies come from dpkg-shlibdeps; what is loaded
# only at run time is named here.
set(CPACK_PACKAGE_NAME quillfen)
set(CPACK_PACKAGE_VENDOR Tarnwick)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Quillfen support <${QUILLFEN_SUPPORT_ADDRESS}>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "cut the text of many documents into paragraphs or sentences")
set(CPACK_PACKAGE_DESCRIPTION
    "Quillfen reads many documents at once - plain text in several encodings
and HTML pages - cuts their text into paragraphs or sentences, keeps the
pieces that pass a simple filter and lists them one per row, ready to save
as text, copy to the clipboard or open in a spreadsheet.

The package holds the window (quillfen), its command-line companion
(quillfen-cli) and example files.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION text)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Opening folders and addresses goes through xdg-open; the window asks for
# Arial, which Liberation Sans stands in for; Wayland sessions want Qt's
# Wayland plugin (X11 needs nothing more than libqt6gui6); OCR reads
# English and finds a page's orientation with Tesseract's two models.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS
    "xdg-utils, fonts-liberation, qt6-wayland, tesseract-ocr-eng, tesseract-ocr-osd")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "libreoffice-calc | gnumeric")
if(QUILLFEN_HOME_PAGE)
    set(CPACK_DEBIAN_PACKAGE_HOMEPAGE ${QUILLFEN_HOME_PAGE})
endif()

if(NOT CMAKE_INSTALL_PREFIX STREQUAL CPACK_PACKAGING_INSTALL_PREFIX)
    message(STATUS "The Debian package installs under /usr; configure with "
                   "-DCMAKE_INSTALL_PREFIX=/usr so that the program's own fallback "
                   "data folder matches it")
endif()

set(CPACK_GENERATOR DEB)
set(CPACK_SOURCE_GENERATOR "")
include(CPack)
