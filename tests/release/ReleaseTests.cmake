# The shipped files: the sample INI against the keys the launcher reads.
add_executable(sample_ini_tests ${CMAKE_CURRENT_LIST_DIR}/SampleIniTest.cpp)
target_link_libraries(sample_ini_tests PRIVATE marlwick_pure marlwick_check)
target_compile_definitions(sample_ini_tests PRIVATE
  MARLWICK_SAMPLE_INI="${PROJECT_SOURCE_DIR}/resources/Marlwick.sample.ini"
  MARLWICK_INI_KEYS_HEADER="${PROJECT_SOURCE_DIR}/base/IniKeys.h")
add_test(NAME sample_ini COMMAND sample_ini_tests)
set_tests_properties(sample_ini PROPERTIES TIMEOUT 60)

# The release archive, packed from stand-in executables (the Windows builds are not needed).
add_test(NAME release_archive COMMAND ${Python3_EXECUTABLE} ${CMAKE_CURRENT_LIST_DIR}/check_release.py ${PROJECT_SOURCE_DIR})
set_tests_properties(release_archive PROPERTIES TIMEOUT 60)
