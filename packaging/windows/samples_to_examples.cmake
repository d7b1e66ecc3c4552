# Run by CPack on the staged folder before it packs it. The installed copy works in
# Documents\Taviro, so the installer puts its samples in examples\: no list of the user's,
# which the uninstaller would remove, ever lies beside the program under a sample's name.
# The zip keeps them beside taviro.exe, where the unzipped program finds its list.
if(CPACK_GENERATOR STREQUAL "NSIS")
  file(MAKE_DIRECTORY ${CPACK_TEMPORARY_DIRECTORY}/examples)
  foreach(sample ${CPACK_TAVIRO_SAMPLES})
    file(RENAME ${CPACK_TEMPORARY_DIRECTORY}/${sample} ${CPACK_TEMPORARY_DIRECTORY}/examples/${sample})
  endforeach()
endif()
