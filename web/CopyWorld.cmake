# cmake -DSOURCE=<world folder> -DDESTINATION=<folder> -P CopyWorld.cmake
# Copies a world folder's files and writes "files.txt", their names one a
# line, which the page reads to fetch them: a static host lists no folders.
file(REMOVE_RECURSE ${DESTINATION})
file(MAKE_DIRECTORY ${DESTINATION})
file(GLOB names RELATIVE ${SOURCE} ${SOURCE}/*)
list(SORT names)
set(listing "")
foreach(name IN LISTS names)
    if(NOT IS_DIRECTORY ${SOURCE}/${name})
        file(COPY ${SOURCE}/${name} DESTINATION ${DESTINATION})
        string(APPEND listing "${name}\n")
    endif()
endforeach()
file(WRITE ${DESTINATION}/files.txt "${listing}")
