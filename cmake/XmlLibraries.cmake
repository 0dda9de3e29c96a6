# The XSLT library (libxslt with libexslt) and its XML library (libxml2), built as static
# libraries in the build tree with this build's compilers, from Debian's source packages that
# scripts/install-deps unpacks (Debian's patches applied) into build/debian-src.
#
# Left out on purpose: network access (HTTP, FTP), catalogs (they read system files), loadable
# modules (libxslt would load a library for an unknown extension namespace), XInclude, and
# compression. Every file the libraries read or write goes through the program's own functions.
include(ExternalProject)

set(VEXILATE_DEBIAN_SOURCES "${PROJECT_SOURCE_DIR}/build/debian-src"
    CACHE PATH "Where scripts/install-deps unpacks Debian's source packages")
foreach(package libxml2 libxslt)
  if(NOT EXISTS "${VEXILATE_DEBIAN_SOURCES}/${package}/CMakeLists.txt")
    message(FATAL_ERROR "No ${package} sources in ${VEXILATE_DEBIAN_SOURCES}: run scripts/install-deps first")
  endif()
endforeach()

set(xml_prefix "${CMAKE_BINARY_DIR}/xml-libraries")
set(xml_common_args
    -DCMAKE_BUILD_TYPE=Release
    -DCMAKE_INSTALL_PREFIX=${xml_prefix}
    -DCMAKE_INSTALL_LIBDIR=lib
    -DCMAKE_POSITION_INDEPENDENT_CODE=ON
    -DBUILD_SHARED_LIBS=OFF)
if(CMAKE_TOOLCHAIN_FILE)
  list(APPEND xml_common_args -DCMAKE_TOOLCHAIN_FILE=${CMAKE_TOOLCHAIN_FILE})
else()
  list(APPEND xml_common_args -DCMAKE_C_COMPILER=${CMAKE_C_COMPILER})
endif()

# Natively the system's iconv converts the code pages; on Windows the program registers Windows'
# own conversions with the library. Built as static libraries their functions are not exported
# from the program, and what it does not call is left out of it.
if(WIN32)
  set(xml_iconv OFF)
  list(APPEND xml_common_args
       "-DCMAKE_C_FLAGS=-DLIBXML_STATIC -DLIBXSLT_STATIC -DLIBEXSLT_STATIC -ffunction-sections -fdata-sections")
else()
  set(xml_iconv ON)
endif()

# A new Debian version (install-deps writes its name) builds the libraries again.
set(xml_versions "${VEXILATE_DEBIAN_SOURCES}/libxml2.version;${VEXILATE_DEBIAN_SOURCES}/libxslt.version")
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${xml_versions})
file(READ "${VEXILATE_DEBIAN_SOURCES}/libxml2.version" libxml2_version)
file(READ "${VEXILATE_DEBIAN_SOURCES}/libxslt.version" libxslt_version)
string(STRIP "${libxml2_version}" libxml2_version)
string(STRIP "${libxslt_version}" libxslt_version)

ExternalProject_Add(libxml2_build
  SOURCE_DIR "${VEXILATE_DEBIAN_SOURCES}/libxml2"
  BINARY_DIR "${CMAKE_BINARY_DIR}/xml-libraries-build/libxml2"
  STAMP_DIR "${CMAKE_BINARY_DIR}/xml-libraries-build/libxml2-stamp-${libxml2_version}"
  CMAKE_ARGS ${xml_common_args}
    -DLIBXML2_WITH_ICONV=${xml_iconv}
    -DLIBXML2_WITH_ICU=OFF -DLIBXML2_WITH_LZMA=OFF -DLIBXML2_WITH_ZLIB=OFF
    -DLIBXML2_WITH_PYTHON=OFF -DLIBXML2_WITH_PROGRAMS=OFF -DLIBXML2_WITH_TESTS=OFF
    -DLIBXML2_WITH_HTTP=OFF -DLIBXML2_WITH_FTP=OFF -DLIBXML2_WITH_CATALOG=OFF
    -DLIBXML2_WITH_MODULES=OFF -DLIBXML2_WITH_XINCLUDE=OFF -DLIBXML2_WITH_DOCB=OFF
    -DLIBXML2_WITH_LEGACY=OFF -DLIBXML2_WITH_DEBUG=OFF
  BUILD_BYPRODUCTS "${xml_prefix}/lib/libxml2.a"
  UPDATE_COMMAND ""
  USES_TERMINAL_BUILD ON)

ExternalProject_Add(libxslt_build
  DEPENDS libxml2_build
  SOURCE_DIR "${VEXILATE_DEBIAN_SOURCES}/libxslt"
  BINARY_DIR "${CMAKE_BINARY_DIR}/xml-libraries-build/libxslt"
  STAMP_DIR "${CMAKE_BINARY_DIR}/xml-libraries-build/libxslt-stamp-${libxslt_version}-${libxml2_version}"
  CMAKE_ARGS ${xml_common_args}
    -DCMAKE_PREFIX_PATH=${xml_prefix}
    -DLIBXSLT_WITH_PYTHON=OFF -DLIBXSLT_WITH_TESTS=OFF -DLIBXSLT_WITH_CRYPTO=OFF
    -DLIBXSLT_WITH_MODULES=OFF -DLIBXSLT_WITH_DEBUGGER=OFF
  BUILD_BYPRODUCTS "${xml_prefix}/lib/libxslt.a" "${xml_prefix}/lib/libexslt.a"
  UPDATE_COMMAND ""
  USES_TERMINAL_BUILD ON)

# One target for the three, with what a user of their headers and archives needs.
file(MAKE_DIRECTORY "${xml_prefix}/include/libxml2")
add_library(vexilate_xml_libraries INTERFACE)
add_dependencies(vexilate_xml_libraries libxslt_build)
target_include_directories(vexilate_xml_libraries SYSTEM INTERFACE "${xml_prefix}/include"
                                                                     "${xml_prefix}/include/libxml2")
target_link_libraries(vexilate_xml_libraries INTERFACE "${xml_prefix}/lib/libexslt.a"
                                                       "${xml_prefix}/lib/libxslt.a" "${xml_prefix}/lib/libxml2.a")
if(WIN32)
  target_compile_definitions(vexilate_xml_libraries INTERFACE LIBXML_STATIC LIBXSLT_STATIC LIBEXSLT_STATIC)
  target_link_libraries(vexilate_xml_libraries INTERFACE ws2_32 bcrypt)
  target_link_options(vexilate_xml_libraries INTERFACE -Wl,--gc-sections)
else()
  target_link_libraries(vexilate_xml_libraries INTERFACE m)
endif()
