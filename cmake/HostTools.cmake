# The Windows builds need the native content tools (spritetool, maptool) to make
# the demo world for their package and the worlds of their end-to-end tests.
# They come from a native build of this project: the one named by
# CLIENT_HOST_TOOLS, or else one of this build's own (host-tools), made as part
# of it. CLIENT_HOST_TOOLS_DIR is that build's folder either way.
set(CLIENT_HOST_TOOLS "" CACHE PATH
    "A native build of this project (e.g. build/native) whose tools and demo world the Windows build uses; empty: make its own")

# The end-to-end tests also draw their sprites with a native helper.
set(host_targets maptool spritetool demo_world)
if(CLIENT_BUILD_TESTS)
    list(APPEND host_targets make-world-sprites)
endif()

if(CLIENT_HOST_TOOLS)
    set(CLIENT_HOST_TOOLS_DIR ${CLIENT_HOST_TOOLS})
    add_custom_target(host_tools
        COMMAND ${CMAKE_COMMAND} --build ${CLIENT_HOST_TOOLS_DIR} --target ${host_targets}
        COMMENT "Native content tools and demo world in ${CLIENT_HOST_TOOLS_DIR}")
else()
    include(ExternalProject)
    set(CLIENT_HOST_TOOLS_DIR ${CMAKE_BINARY_DIR}/host-tools)
    ExternalProject_Add(host_tools
        SOURCE_DIR ${PROJECT_SOURCE_DIR}
        BINARY_DIR ${CLIENT_HOST_TOOLS_DIR}
        CMAKE_ARGS -DCMAKE_BUILD_TYPE=Release -DCMAKE_C_COMPILER=gcc -DCMAKE_CXX_COMPILER=g++
                   -DCLIENT_BUILD_TESTS=${CLIENT_BUILD_TESTS} -DCLIENT_BUILD_BENCHMARKS=OFF -DCLIENT_BUILD_FUZZERS=OFF
        BUILD_COMMAND ${CMAKE_COMMAND} --build ${CLIENT_HOST_TOOLS_DIR} --target ${host_targets}
        INSTALL_COMMAND ""
        BUILD_ALWAYS ON
        EXCLUDE_FROM_ALL OFF)
endif()
