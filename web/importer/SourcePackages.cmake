# pugixml, zlib and libpng for the page's importer, compiled with emscripten
# from Debian's source packages (.ci/setup-machine fetches them; emscripten's
# own ports would download them from elsewhere). Each is unpacked with its
# Debian patches by dpkg-source, once per build folder, and made the target
# that find_package gives natively (pugixml::pugixml, ZLIB::ZLIB, PNG::PNG),
# so that the tools' own CMake files link them unchanged.

set(CLIENT_WEB_SOURCES /var/lib/client-setup/web-sources CACHE PATH
    "Debian's source packages of pugixml, zlib and libpng1.6 (.ci/setup-machine web fetches them)")

# unpack_source_package(<package> <variable>): the unpacked, patched sources
# of <package> into <variable>.
function(unpack_source_package package variable)
    file(GLOB dsc ${CLIENT_WEB_SOURCES}/${package}_*.dsc)
    list(LENGTH dsc found)
    if(NOT found EQUAL 1)
        message(FATAL_ERROR "The page's importer needs Debian's sources of ${package} in ${CLIENT_WEB_SOURCES}: "
                            "run .ci/setup-machine web")
    endif()
    set(folder ${CMAKE_BINARY_DIR}/source-packages/${package})
    get_filename_component(stamp_text ${dsc} NAME)
    if(NOT EXISTS ${folder}.stamp OR NOT EXISTS ${folder})
        set(stamped "")
    else()
        file(READ ${folder}.stamp stamped)
    endif()
    if(NOT stamped STREQUAL stamp_text)
        file(REMOVE_RECURSE ${folder})
        file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/source-packages)
        execute_process(COMMAND dpkg-source --no-copy -x ${dsc} ${folder}
                        RESULT_VARIABLE failed OUTPUT_QUIET ERROR_VARIABLE errors)
        if(failed)
            message(FATAL_ERROR "dpkg-source could not unpack ${dsc}:\n${errors}")
        endif()
        file(WRITE ${folder}.stamp ${stamp_text})
    endif()
    set(${variable} ${folder} PARENT_SCOPE)
endfunction()

# Their own code is theirs: no warnings of ours over it.
function(third_party_library name)
    add_library(${name} STATIC ${ARGN})
    target_compile_options(${name} PRIVATE -w)
endfunction()

unpack_source_package(zlib zlib)
third_party_library(web_zlib
    ${zlib}/adler32.c ${zlib}/compress.c ${zlib}/crc32.c ${zlib}/deflate.c ${zlib}/inffast.c ${zlib}/inflate.c
    ${zlib}/inftrees.c ${zlib}/trees.c ${zlib}/uncompr.c ${zlib}/zutil.c)
target_include_directories(web_zlib SYSTEM PUBLIC ${zlib})
add_library(ZLIB::ZLIB ALIAS web_zlib)

unpack_source_package(libpng1.6 libpng)
# The configuration Debian's build makes is libpng's prebuilt one.
configure_file(${libpng}/scripts/pnglibconf.h.prebuilt ${CMAKE_CURRENT_BINARY_DIR}/libpng/pnglibconf.h COPYONLY)
third_party_library(web_png
    ${libpng}/png.c ${libpng}/pngerror.c ${libpng}/pngget.c ${libpng}/pngmem.c ${libpng}/pngpread.c
    ${libpng}/pngread.c ${libpng}/pngrio.c ${libpng}/pngrtran.c ${libpng}/pngrutil.c ${libpng}/pngset.c
    ${libpng}/pngtrans.c ${libpng}/pngwio.c ${libpng}/pngwrite.c ${libpng}/pngwtran.c ${libpng}/pngwutil.c)
target_include_directories(web_png SYSTEM PUBLIC ${libpng} ${CMAKE_CURRENT_BINARY_DIR}/libpng)
target_link_libraries(web_png PUBLIC web_zlib)
add_library(PNG::PNG ALIAS web_png)

unpack_source_package(pugixml pugixml)
third_party_library(web_pugixml ${pugixml}/src/pugixml.cpp)
target_include_directories(web_pugixml SYSTEM PUBLIC ${pugixml}/src)
add_library(pugixml::pugixml ALIAS web_pugixml)

# find_package looks here before anywhere else: each package is found as the
# target above.
foreach(package zlib png pugixml)
    file(WRITE ${CMAKE_FIND_PACKAGE_REDIRECTS_DIR}/${package}-config.cmake
         "# The page's importer: the library is built from Debian's sources (web/importer).\n")
endforeach()
