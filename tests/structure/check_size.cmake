# Fails when a program has grown past its size budget.
#   cmake -DPROGRAM=FILE -DBUDGET=BYTES -P check_size.cmake
file(SIZE ${PROGRAM} size)
get_filename_component(name ${PROGRAM} NAME)
if(size GREATER BUDGET)
  message(FATAL_ERROR "${name} is ${size} bytes, past its budget of ${BUDGET}: make it smaller, or raise the "
                      "budget in CMakeLists.txt with the reason in the commit")
endif()
message(STATUS "${name} is ${size} bytes, within its budget of ${BUDGET}")
