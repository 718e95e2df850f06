#pragma once

#include <cstdint>
#include <string>

// The local machine's name as Windows gives it: at most 15 characters
// (MAX_COMPUTERNAME_LENGTH), in capitals. Here it is the host name, upper-cased
// and cut to that length.
inline constexpr std::uint32_t MAX_COMPUTERNAME_LENGTH = 15;

// GetComputerNameA: *pnSize holds the buffer's size; on success it receives
// the name's length without the NUL. A buffer too small fails with *pnSize
// set to the size needed, NUL included. Returns nonzero on success.
int GetComputerNameA(char* pszBuffer, std::uint32_t* pnSize);

// The same name; empty when the host name cannot be obtained.
std::string GetComputerName();
