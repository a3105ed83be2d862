# Makes the shipped jar: the compiled classes plus native libraries under
# natives/<os>-<arch>/, each folder with an index of "size name" lines that the
# loader reads to extract and check the files. Run with cmake -P:
#   -DCLASSES_JAR=<jar> -DOUTPUT_JAR=<jar> -DJAR_TOOL=<jar executable>
#   -DSTAGE_DIR=<scratch folder> -DNATIVES=<folder>=<file>;<folder>=<file>...
# Files of one folder are listed in the order given; the loader loads the
# VardelonLink library after extracting them all.
foreach(variable CLASSES_JAR OUTPUT_JAR JAR_TOOL STAGE_DIR NATIVES)
  if(NOT DEFINED ${variable})
    message(FATAL_ERROR "PackNatives.cmake needs -D${variable}=...")
  endif()
endforeach()

include(${CMAKE_CURRENT_LIST_DIR}/../cmake/RunChecked.cmake)

file(REMOVE_RECURSE ${STAGE_DIR})
set(folders)
foreach(native IN LISTS NATIVES)
  string(REGEX MATCH "^([^=]+)=(.+)$" matched "${native}")
  if(NOT matched)
    message(FATAL_ERROR "not <folder>=<file>: ${native}")
  endif()
  set(folder ${CMAKE_MATCH_1})
  set(file ${CMAKE_MATCH_2})
  if(NOT EXISTS ${file})
    message(FATAL_ERROR "no native library to pack at ${file}")
  endif()
  get_filename_component(name ${file} NAME)
  file(SIZE ${file} size)
  file(COPY ${file} DESTINATION ${STAGE_DIR}/natives/${folder})
  file(APPEND ${STAGE_DIR}/natives/${folder}/index "${size} ${name}\n")
  list(APPEND folders ${folder})
endforeach()
list(REMOVE_DUPLICATES folders)

get_filename_component(output_dir ${OUTPUT_JAR} DIRECTORY)
file(MAKE_DIRECTORY ${output_dir})
file(COPY_FILE ${CLASSES_JAR} ${OUTPUT_JAR}.partial)
run(${JAR_TOOL} --update --file ${OUTPUT_JAR}.partial -C ${STAGE_DIR} natives)
file(RENAME ${OUTPUT_JAR}.partial ${OUTPUT_JAR})
message(STATUS "Packed ${folders} into ${OUTPUT_JAR}")
