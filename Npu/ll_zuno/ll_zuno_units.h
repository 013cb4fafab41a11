/* Driver records and functions of the processing units, the Epoch Controller, DMA and decompression. */
#ifndef LL_ZUNO_UNITS_H
#define LL_ZUNO_UNITS_H

#endif /* LL_ZUNO_UNITS_H */
