# The Debian package: `cpack -G DEB` in a build folder (scripts/package.sh) makes
# vitrinex_<version>-1_<arch>.deb from the install rules, its dependencies found by dpkg-shlibdeps.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME vitrinex)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR Quillory)
set(CPACK_PACKAGE_CONTACT "Quillory <vitrinex@quillory.com>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "keeps collections of action figures")
# Lines of at most 80 characters, as Debian shows them. One string: separate quoted parts would
# become a list, joined by semicolons.
string(CONCAT CPACK_PACKAGE_DESCRIPTION
    "Vitrinex keeps a collector's collections of action figures, one file (.fcd)\n"
    "per collection, with every item's name, year, series, price, quantity,\n"
    "condition, catalog number, net change and comments.\n"
    "\n"
    "It updates prices from the maker's catalog, reports the collection's value\n"
    "and its highest, lowest, most risen and most fallen items, and prints,\n"
    "exports and backs up a collection. vitrinex-cli does the same from the\n"
    "command line.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Not linked, yet needed: the skin's and the printed list's texts are set in "Arial Narrow", which
# Liberation Sans Narrow stands in for, and the printed net-change arrows come from the Symbol
# font's stand-in, Standard Symbols PS; without it they would print as letters of another font.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-liberation, fonts-urw-base35")
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "http://www.quillory.com/vitrinex/")
include(CPack)
