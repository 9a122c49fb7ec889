# The minute cycle of the program and the rules of its interval setting. Plain C++, no Qt;
# the Qt window drives it.
add_library(mzcycle ${CMAKE_CURRENT_LIST_DIR}/src/MonitorCycle.cpp)
target_include_directories(mzcycle PUBLIC ${CMAKE_CURRENT_LIST_DIR}/include)
target_link_libraries(mzcycle PUBLIC mzcore PRIVATE fmt::fmt)
