/* Types and magic numbers shared by the host EC binary writer and the device EC program loader. */
#ifndef EC_H
#define EC_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef uint32_t ECInstr;     /* one EC program word */
typedef uint32_t ECAddr;      /* a device address */
typedef uint32_t ECFileEntry; /* one field of an EC binary file */

#define ECFORGE_BINARY_MAGIC  0xECBF0020u /* first field of an EC binary file */
#define ECFORGE_PROGRAM_MAGIC 0xCA057A7Au /* first word of a program section */

#ifdef __cplusplus
}
#endif

#endif /* EC_H */
