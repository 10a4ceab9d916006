#pragma once

// Error codes of the physics layer's messages. Codes from SDK_FIRST_QUIET_CODE
// on are informational and are not printed.
enum SdkErrorCode {
    SDK_ERROR_INVALID_PARAMETER = 1,  // bad data handed to the physics (a mesh, a radius)
    SDK_ERROR_INVALID_OPERATION = 2,  // a call at the wrong moment
    SDK_ERROR_INTERNAL = 4,           // the engine reports trouble of its own
    SDK_FIRST_QUIET_CODE = 205,
};

// The one channel through which the physics reports errors and messages: one
// line "SDK says: <message>" on standard output. Stateless.
class SdkOutputStream {
public:
    // Prints message when code is below SDK_FIRST_QUIET_CODE.
    void reportError(int code, const char* message) const;
    void print(const char* message) const;
};
