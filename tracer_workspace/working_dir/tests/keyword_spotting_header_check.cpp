/* The keyword_spotting header check compiled as C++17. */
#include "keyword_spotting_header_check.c"
