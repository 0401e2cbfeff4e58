# Flags shared by every target of every build.

if(CMAKE_CXX_COMPILER_ID MATCHES "GNU|Clang")
    add_compile_options(-Wall -Wextra -Wshadow -Wno-missing-field-initializers)
    if(CLIENT_WARNINGS_AS_ERRORS)
        add_compile_options(-Werror)
    endif()
endif()

if(WIN32)
    # A bare Windows has no libgcc, libstdc++ or winpthread DLL: link them in.
    add_link_options(-static -static-libgcc -static-libstdc++)
    add_compile_definitions(WIN32_LEAN_AND_MEAN NOMINMAX)
    # Executables and Pixmix.dll side by side, as Windows loads them.
    set(CMAKE_RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
    if(CMAKE_SIZEOF_VOID_P EQUAL 4)
        set(CLIENT_WINE_ARCH win32)
    else()
        set(CLIENT_WINE_ARCH win64)
    endif()
endif()

if(CLIENT_SANITIZE)
    add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
    add_link_options(-fsanitize=address,undefined)
endif()

if(CLIENT_BUILD_FUZZERS AND NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
    message(FATAL_ERROR "The fuzz targets need clang (libFuzzer)")
endif()
