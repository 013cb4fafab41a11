/* Register map of the processing units, the Epoch Controller, the decompression unit and the bus interfaces. */
#ifndef ZUNO_UNITS_H
#define ZUNO_UNITS_H

#endif /* ZUNO_UNITS_H */
