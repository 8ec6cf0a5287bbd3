// Identity and health parsing of arbitrary smartctl output never crashes;
// the text routines' exceptions are caught by the refresh like any other.
#include "FuzzSupport.h"

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    fuzzUsePrivateHome();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    KZSMARTDrive drive = fuzzDrive(data, size);
    drive.updateInfo();
    const int health = drive.driveHealth();
    if (health < 0 || health > 3)
        __builtin_trap();
    return 0;
}
