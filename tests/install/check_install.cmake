# Installs the built library into a scratch prefix, then builds a host
# program against it twice, through the CMake package and through
# pkg-config, and has each convert the sample drawing; the first also
# converts a drawing of release AC1027 through the installed down-converter.
# Inputs: BUILD_DIR, SOURCE_DIR, WORK_DIR, CXX.
file(REMOVE_RECURSE ${WORK_DIR})
set(prefix ${WORK_DIR}/prefix)

function(run)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE out)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "failed (${rc}): ${ARGN}\n${out}")
  endif()
endfunction()

run(${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${prefix})

run(${CMAKE_COMMAND} -S ${SOURCE_DIR}/tests/install/host -B ${WORK_DIR}/host
    -DCMAKE_PREFIX_PATH=${prefix} -DCMAKE_CXX_COMPILER=${CXX})
run(${CMAKE_COMMAND} --build ${WORK_DIR}/host)
run(${WORK_DIR}/host/host ${SOURCE_DIR}/examples/sample.dxf ${WORK_DIR}/package.cgm)

# The tools are installed in bin/, and the library finds the down-converter
# there, beside itself, with nothing on PATH.
foreach(tool dxf2cgm RozOzoRoruveziz)
  if(NOT EXISTS ${prefix}/bin/${tool})
    message(FATAL_ERROR "${tool} is not installed in ${prefix}/bin")
  endif()
endforeach()
set(saved_path "$ENV{PATH}")
set(ENV{PATH} "/nonexistent")
run(${WORK_DIR}/host/host ${SOURCE_DIR}/tests/data/downconv/r2013.dxf ${WORK_DIR}/newer.cgm)
set(ENV{PATH} "${saved_path}")

find_program(PKG_CONFIG pkg-config)
if(PKG_CONFIG)
  file(GLOB pcdirs ${prefix}/lib*/pkgconfig ${prefix}/lib/*/pkgconfig)
  string(REPLACE ";" ":" pcpath "${pcdirs}")
  set(ENV{PKG_CONFIG_PATH} "${pcpath}")
  execute_process(COMMAND ${PKG_CONFIG} --cflags --libs VyrDxf2Cgm
    OUTPUT_VARIABLE flags OUTPUT_STRIP_TRAILING_WHITESPACE RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "pkg-config does not find VyrDxf2Cgm")
  endif()
  separate_arguments(flags UNIX_COMMAND "${flags}")
  run(${CXX} -std=c++17 ${SOURCE_DIR}/tests/install/host/main.cpp ${flags}
      -o ${WORK_DIR}/host-pc)
  string(REGEX MATCH "-L([^ ;]+)" _ "${flags}")
  set(ENV{LD_LIBRARY_PATH} ${CMAKE_MATCH_1})
  run(${WORK_DIR}/host-pc ${SOURCE_DIR}/examples/sample.dxf ${WORK_DIR}/pkgconfig.cgm)
endif()

file(REMOVE_RECURSE ${WORK_DIR})
