# Cross build for the Arm Cortex-M55 with hardware floating point: arm-none-eabi-gcc with newlib,
# semihosting I/O (stdout and the exit code reach the host through the debugger or emulator).
set(CMAKE_SYSTEM_NAME Generic)
set(CMAKE_SYSTEM_PROCESSOR cortex-m55)

set(CMAKE_C_COMPILER arm-none-eabi-gcc)
set(CMAKE_CXX_COMPILER arm-none-eabi-g++)
set(CMAKE_ASM_COMPILER arm-none-eabi-gcc)
set(CMAKE_AR arm-none-eabi-ar CACHE FILEPATH "")
set(CMAKE_RANLIB arm-none-eabi-ranlib CACHE FILEPATH "")

set(ZUNO_M55_CPU_FLAGS "-mcpu=cortex-m55 -mfloat-abi=hard -mthumb")
set(CMAKE_C_FLAGS_INIT "${ZUNO_M55_CPU_FLAGS} -ffunction-sections -fdata-sections")
set(CMAKE_CXX_FLAGS_INIT "${ZUNO_M55_CPU_FLAGS} -ffunction-sections -fdata-sections")
set(CMAKE_ASM_FLAGS_INIT "${ZUNO_M55_CPU_FLAGS}")
set(CMAKE_EXE_LINKER_FLAGS_INIT "--specs=rdimon.specs -Wl,--gc-sections")

# No board start-up is known while CMake probes the compiler: probe with libraries, not programs.
set(CMAKE_TRY_COMPILE_TARGET_TYPE STATIC_LIBRARY)

set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
