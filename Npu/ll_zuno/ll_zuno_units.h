/* Driver records and functions of the processing units, the Epoch Controller, DMA and decompression. */
#ifndef LL_ZUNO_UNITS_H
#define LL_ZUNO_UNITS_H

#include "ll_zuno_convacc.h"
#include "ll_zuno_activacc.h"
#include "ll_zuno_arithacc.h"
#include "ll_zuno_poolacc.h"
#include "ll_zuno_epochctrl.h"
#include "ll_zuno_decun.h"

#endif /* LL_ZUNO_UNITS_H */
