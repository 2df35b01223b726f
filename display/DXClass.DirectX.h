// Wrapper base TDirectX and LoadPlatformFunction (run-time loaded platform modules).
#pragma once
