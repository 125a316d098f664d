# GoogleTest and GoogleMock built from the sources that Debian's googletest
# package ships, with this build's compiler: a cross build finds no installed
# GoogleTest for its target, and nothing is downloaded. Provides the same
# GTest:: targets as find_package(GTest).
set(AMBERLIT_GOOGLETEST_DIR /usr/src/googletest CACHE PATH "GoogleTest source tree")
set(gtest_dir ${AMBERLIT_GOOGLETEST_DIR}/googletest)
set(gmock_dir ${AMBERLIT_GOOGLETEST_DIR}/googlemock)
if(NOT EXISTS ${gtest_dir}/src/gtest-all.cc)
  message(FATAL_ERROR "No GoogleTest sources in ${AMBERLIT_GOOGLETEST_DIR} (Debian package googletest)")
endif()
find_package(Threads REQUIRED)

add_library(amberlit_gtest STATIC ${gtest_dir}/src/gtest-all.cc)
target_include_directories(amberlit_gtest SYSTEM PUBLIC ${gtest_dir}/include PRIVATE ${gtest_dir})
target_link_libraries(amberlit_gtest PUBLIC Threads::Threads)

add_library(amberlit_gtest_main STATIC ${gtest_dir}/src/gtest_main.cc)
target_link_libraries(amberlit_gtest_main PUBLIC amberlit_gtest)

add_library(amberlit_gmock STATIC ${gmock_dir}/src/gmock-all.cc)
target_include_directories(amberlit_gmock SYSTEM PUBLIC ${gmock_dir}/include PRIVATE ${gmock_dir})
target_link_libraries(amberlit_gmock PUBLIC amberlit_gtest)

# Third-party code: the project's warning set is not its business.
foreach(lib amberlit_gtest amberlit_gtest_main amberlit_gmock)
  target_compile_options(${lib} PRIVATE -w)
endforeach()

add_library(GTest::gtest ALIAS amberlit_gtest)
add_library(GTest::gtest_main ALIAS amberlit_gtest_main)
add_library(GTest::gmock ALIAS amberlit_gmock)
