// Symbol visibility: both libraries are built with hidden visibility and
// export exactly their interfaces through these markers.
#pragma once

#define QZ_EXPORT __attribute__((visibility("default")))

#ifdef __cplusplus
#define QZ_EXTERN_C_BEGIN extern "C" {
#define QZ_EXTERN_C_END }
#else
#define QZ_EXTERN_C_BEGIN
#define QZ_EXTERN_C_END
#endif
