/* The face_detection header check compiled as C++17. */
#include "face_detection_header_check.c"
