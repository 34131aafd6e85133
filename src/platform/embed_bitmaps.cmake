# vellumine_embed_bitmaps(<target> <id> <file> [<id> <file> ...])
# Binds BMP files into <target> under resource ids, the way resource files are bound into a
# Windows module: a build step turns them into one C++ table that the software backend reads.
function(vellumine_embed_bitmaps target)
  set(script ${CMAKE_CURRENT_FUNCTION_LIST_DIR}/embed_bitmap_source.cmake)
  set(pairs ${ARGN})
  list(LENGTH pairs count)
  math(EXPR odd "${count} % 2")
  if(count EQUAL 0 OR odd)
    message(FATAL_ERROR "vellumine_embed_bitmaps: expected <id> <file> pairs")
  endif()
  set(files "")
  math(EXPR last "${count} - 1")
  foreach(i RANGE 1 ${last} 2)
    list(GET pairs ${i} file)
    list(APPEND files ${file})
  endforeach()
  set(output ${CMAKE_CURRENT_BINARY_DIR}/${target}_embedded_bitmaps.cpp)
  string(REPLACE ";" "|" encoded "${pairs}")
  add_custom_command(
    OUTPUT ${output}
    COMMAND ${CMAKE_COMMAND} "-DRESOURCES=${encoded}" -DOUTPUT=${output} -P ${script}
    DEPENDS ${files} ${script}
    COMMENT "Embedding bitmaps into ${target}"
    VERBATIM)
  target_sources(${target} PRIVATE ${output})
endfunction()
