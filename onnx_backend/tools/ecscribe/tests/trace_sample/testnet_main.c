/* Entry point of the recorder's test trace program. */
#include "testnet_blobs.h"

int main(void)
{
  trace_testnet();
  return 0;
}
