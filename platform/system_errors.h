#ifndef POSRELAY_PLATFORM_SYSTEM_ERRORS_H
#define POSRELAY_PLATFORM_SYSTEM_ERRORS_H

// The system's codes for why a call failed, as the last error and the
// dial-up functions give them; the trace records them, and the simulated
// handset and the player of traces answer with them. Named as the system
// names them; the Windows platform checks each against the system's headers.
const unsigned int kNoError = 0;                         // NO_ERROR
const unsigned int kErrorFileNotFound = 2;               // ERROR_FILE_NOT_FOUND
const unsigned int kErrorInvalidHandle = 6;              // ERROR_INVALID_HANDLE
const unsigned int kErrorSharingViolation = 32;          // ERROR_SHARING_VIOLATION
const unsigned int kErrorInvalidName = 123;              // ERROR_INVALID_NAME
const unsigned int kErrorModNotFound = 126;              // ERROR_MOD_NOT_FOUND
const unsigned int kErrorBufferTooSmall = 603;           // ERROR_BUFFER_TOO_SMALL, of dial-up
const unsigned int kErrorInvalidSize = 632;              // ERROR_INVALID_SIZE, of dial-up
const unsigned int kErrorNoConnection = 668;             // ERROR_NO_CONNECTION, of dial-up
const unsigned int kErrorInternetInternal = 12004;       // ERROR_INTERNET_INTERNAL_ERROR
const unsigned int kErrorInternetCannotConnect = 12029;  // ERROR_INTERNET_CANNOT_CONNECT

#endif
