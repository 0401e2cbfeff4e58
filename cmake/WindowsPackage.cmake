# client-<win32|win64>.zip: what a Windows user unpacks and runs. client.exe,
# Pixmix.dll and the demo world side by side, nothing else needed.
set(CLIENT_PACKAGE ${CMAKE_BINARY_DIR}/client-${CLIENT_WINE_ARCH}.zip)
set(package_dir ${CMAKE_BINARY_DIR}/package)
add_custom_target(client_package ALL
    COMMAND ${CMAKE_COMMAND} -E rm -rf ${package_dir}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${package_dir}/Client
    COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:client> $<TARGET_FILE:Pixmix> ${package_dir}/Client/
    COMMAND ${CMAKE_COMMAND} -E copy_directory ${CLIENT_HOST_TOOLS_DIR}/demo-world ${package_dir}/Client
    COMMAND ${CMAKE_COMMAND} -E copy ${PROJECT_SOURCE_DIR}/docs/windows-readme.txt ${package_dir}/Client/ReadMe.txt
    COMMAND ${CMAKE_COMMAND} -E chdir ${package_dir} ${CMAKE_COMMAND} -E tar cf ${CLIENT_PACKAGE} --format=zip Client
    DEPENDS client Pixmix host_tools ${PROJECT_SOURCE_DIR}/docs/windows-readme.txt
    BYPRODUCTS ${CLIENT_PACKAGE}
    COMMENT "Windows package ${CLIENT_PACKAGE}"
    VERBATIM)
