# Builds the resource files the system reads into OUT, the plug-in's folder of the build tree:
# "Ondrak Music Plugin.rsr" there, the library's system files and "beep.brt" in OUT/Worva.
# Run with cmake -P, given TOOLS (the folder of orva-rsrc, orva-palette, mkicons and
# mksounds), SOURCE (this folder) and WORK (a folder for the generated sources).
foreach(var TOOLS SOURCE WORK OUT)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "build_resources.cmake needs -D${var}=...")
  endif()
endforeach()

file(MAKE_DIRECTORY ${WORK}/icons ${WORK}/sounds ${OUT}/Worva)
function(run)
  execute_process(COMMAND ${ARGN} COMMAND_ERROR_IS_FATAL ANY)
endfunction()

run(${TOOLS}/orva-palette 128 ${WORK}/palette-plugin.desc)
run(${TOOLS}/orva-palette -128 ${WORK}/palette-system.desc)
run(${TOOLS}/mkicons ${WORK}/icons)
run(${TOOLS}/mksounds ${WORK}/sounds)

run(${TOOLS}/orva-rsrc build ${SOURCE}/plugin.desc ${WORK}/icons/icons.desc ${WORK}/sounds/sounds.desc
    ${WORK}/palette-plugin.desc "${OUT}/Ondrak Music Plugin.rsr")
run(${TOOLS}/orva-rsrc build ${SOURCE}/winit.desc ${WORK}/palette-system.desc ${OUT}/Worva/WInit.rsr)
run(${TOOLS}/orva-rsrc build ${SOURCE}/wadd.desc ${OUT}/Worva/WAdd.rsr)
run(${TOOLS}/orva-rsrc build ${SOURCE}/wlang.desc ${OUT}/Worva/WLang.rsr)
run(${TOOLS}/orva-rsrc build ${SOURCE}/wlangus.desc ${OUT}/Worva/WLangUS.rsr)
file(COPY_FILE ${WORK}/sounds/beep.brt ${OUT}/Worva/beep.brt ONLY_IF_DIFFERENT)
