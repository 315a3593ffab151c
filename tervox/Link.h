#pragma once
// The library's one serial port and its two standard frame buffers, shared by every export, and the
// send and receive steps of an exchange.

#include "AccessWaterAPI.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace tervox::link {

// "COMn" (any case) becomes /dev/ttyS<n-1>; anything else is a device path as given.
std::string devicePath(const char* portName);

int32_t openPort(const char* portName);
int32_t closePort();
int32_t handle();

// Discards both queues (stale input included) and writes the frame in one call: bytes written, or -1
// when the write call failed.
long send(const uint8_t* frame, std::size_t n);
// Sleeps waitMs, then reads n bytes within 1 ms per byte: bytes read, or -1 when the read call failed.
long receive(uint8_t* buffer, std::size_t n, int waitMs);

// Result of sending a request of n bytes: kOk when all went, else the code for what happened. A
// failed call is failCode (-12 for 15-byte requests, 0 for the long ones); a single byte counts as
// failCode too, since 1 would read as success.
int32_t sendResult(long written, std::size_t n, int32_t failCode);
// Result of receiving n bytes: kOk when all came, -11 for a failed call, the count of a short read;
// a single byte is reported as a bad header rather than as 1.
int32_t receiveResult(long got, std::size_t n);

// The 15-byte request buffer, zeroed with its header, and the reply buffer, zeroed; the caller fills
// bytes 5..13 of the request.
uint8_t* beginRequest(int32_t address, uint8_t code);
uint8_t* reply();
// Checksums and sends the request buffer, then (unless writeOnly) receives the 15-byte reply after
// waitMs and checks it. kOk when the reply is good (then reply() holds it).
int32_t exchange(int waitMs = 100, bool writeOnly = false);
// Sends a long request frame, then receives and checks the standard reply.
int32_t longRequest(uint8_t* frame, std::size_t n);
// Sends the request buffer and receives an n-byte reply into `into` after waitMs, checked.
int32_t longReply(uint8_t* into, std::size_t n, int waitMs);

} // namespace tervox::link
