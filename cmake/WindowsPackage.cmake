# client-<win32|win64>.zip: what a Windows user unpacks and runs. Both
# variants of the program, Pixmix.dll, the demo world and the ReadMe side by
# side in one folder, Client; nothing else is needed. The programs and the
# library are copied stripped of their symbols: a user has no use for them,
# and the build keeps the unstripped ones in bin/.
set(CLIENT_PACKAGE ${CMAKE_BINARY_DIR}/client-${CLIENT_WINE_ARCH}.zip)
set(CLIENT_PACKAGE_DIR ${CMAKE_BINARY_DIR}/package/Client)
set(package_dir ${CMAKE_BINARY_DIR}/package)
# The ReadMe with Windows line ends, which Notepad needs before Windows 10.
set(readme ${CMAKE_BINARY_DIR}/ReadMe.txt)
configure_file(${PROJECT_SOURCE_DIR}/docs/windows-readme.txt ${readme} @ONLY NEWLINE_STYLE CRLF)
set(shipped ${CLIENT_FULLSCREEN_PROGRAM} ${CLIENT_WINDOWED_PROGRAM} Pixmix)
set(strip_commands)
foreach(target ${shipped})
    list(APPEND strip_commands COMMAND ${CMAKE_STRIP} --strip-all
         -o ${CLIENT_PACKAGE_DIR}/$<TARGET_FILE_NAME:${target}> $<TARGET_FILE:${target}>)
endforeach()
add_custom_target(client_package ALL
    COMMAND ${CMAKE_COMMAND} -E rm -rf ${package_dir}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CLIENT_PACKAGE_DIR}
    ${strip_commands}
    COMMAND ${CMAKE_COMMAND} -E copy_directory ${CLIENT_HOST_TOOLS_DIR}/demo-world ${CLIENT_PACKAGE_DIR}
    COMMAND ${CMAKE_COMMAND} -E copy ${readme} ${CLIENT_PACKAGE_DIR}/ReadMe.txt
    COMMAND ${CMAKE_COMMAND} -E rm -f ${CLIENT_PACKAGE}
    COMMAND ${CMAKE_COMMAND} -E chdir ${package_dir} ${CMAKE_COMMAND} -E tar cf ${CLIENT_PACKAGE} --format=zip Client
    DEPENDS ${shipped} host_tools ${readme}
    BYPRODUCTS ${CLIENT_PACKAGE}
    COMMENT "Windows package ${CLIENT_PACKAGE}"
    VERBATIM)
