#ifndef TAVRIN_ERRORCODE_H
#define TAVRIN_ERRORCODE_H

#include <stdint.h>

/* The result of every export of the device library and of the application library over it.
   3 is never produced. A non-zero status s of the USB bridge is returned as s + EC_TransportStatusFlag. */
typedef uint32_t ERRORCODE;

enum {
    EC_Success = 0,
    EC_NullArgument = 1,          /* a required pointer argument (output, buffer, record) is null */
    EC_NotSupported = 2,          /* no command for the operation on this kind; frame count 0; refused write */
    EC_SampleNumberTooLarge = 4,  /* a calibration sample number or polynomial order out of range */
    EC_AllocationFailed = 5,
    EC_InvalidArgument = 6,       /* unknown type, index or value out of range, window past the frame */
    EC_NoDevice = 7,              /* null device handle, or no matching device */
    EC_TransferFailed = 8,        /* a USB transfer failed or timed out after its retries */
};

#define EC_TransportStatusFlag 0x80000000u

/* Exported symbols of the library; everything else stays hidden. */
#if defined(TAVRIN_BUILD)
#define TAVRIN_API __attribute__((visibility("default")))
#else
#define TAVRIN_API
#endif

#endif
