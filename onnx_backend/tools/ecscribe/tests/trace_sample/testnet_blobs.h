/* Blob functions of the recorder's test network, shaped like a generated trace source. */
#ifndef TESTNET_BLOBS_H
#define TESTNET_BLOBS_H

#ifdef __cplusplus
extern "C" {
#endif

void trace_ec__ec_blob_1(void);
void trace_ec__ec_blob_3(void);
void trace_ec__ec_blob_6(void);
void trace_ec__ec_blob_9(void);
void trace_ec__ec_blob_12(void);

/* Records the whole network: the header "testnet_ecblobs.h" and two listings per blob. */
void trace_testnet(void);

#ifdef __cplusplus
}
#endif

#endif /* TESTNET_BLOBS_H */
