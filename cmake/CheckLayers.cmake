# Refuses an include that reaches up a layer. The layers, lowest first:
#   platform <- engine <- scene <- game and screens <- program
# A file may include its own layer and those below it. The program is
# engine/Shell.cpp and its header: the one file of engine/ built above the
# game. tools/ (the data generator) includes only its own files.
# Run as: cmake -DSOURCE_DIR=<source folder> -P CheckLayers.cmake
cmake_minimum_required(VERSION 3.20)

set(allowed_platform platform)
set(allowed_engine platform engine)
set(allowed_scene platform engine scene)
set(allowed_game platform engine scene game screens)
set(allowed_screens ${allowed_game})
set(allowed_program ${allowed_game} program)
set(allowed_tools "")
set(folders platform engine scene game screens tools)

# The layer of a folder, or of one file that belongs to the program.
function(layer_of path out)
  if(path MATCHES "^engine/Shell\\.(h|cpp)$")
    set(${out} program PARENT_SCOPE)
  else()
    string(REGEX REPLACE "/.*" "" folder "${path}")
    set(${out} ${folder} PARENT_SCOPE)
  endif()
endfunction()

set(violations "")
foreach(folder ${folders})
  file(GLOB_RECURSE files RELATIVE ${SOURCE_DIR}
    ${SOURCE_DIR}/${folder}/*.cpp ${SOURCE_DIR}/${folder}/*.h ${SOURCE_DIR}/${folder}/*.inc)
  foreach(file ${files})
    layer_of(${file} layer)
    file(STRINGS ${SOURCE_DIR}/${file} lines REGEX "^[ \t]*#[ \t]*include[ \t]*[\"<]")
    foreach(line ${lines})
      if(NOT line MATCHES "#[ \t]*include[ \t]*[\"<]([A-Za-z0-9_]+/[^\">]*)")
        continue()
      endif()
      set(target ${CMAKE_MATCH_1})
      string(REGEX REPLACE "/.*" "" target_folder "${target}")
      if(NOT target_folder IN_LIST folders)
        continue()  # a system header such as <GL/gl.h>
      endif()
      layer_of(${target} target_layer)
      if(NOT target_layer IN_LIST allowed_${layer})
        string(APPEND violations "  ${file} (${layer}) includes ${target} (${target_layer})\n")
      endif()
    endforeach()
  endforeach()
endforeach()

if(violations)
  message(FATAL_ERROR "Includes that reach up a layer:\n${violations}"
    "A layer may use only itself and the layers below it: "
    "platform <- engine <- scene <- game, screens <- program (engine/Shell.cpp).")
endif()
