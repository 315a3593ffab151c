// The exports: one request/reply exchange each. Outputs are written only when the result is 1.

#include "AccessWaterAPI.h"
#include "Link.h"
#include "tervox.h"

#include <chrono>
#include <cstring>
#include <thread>

using namespace tervox;

namespace {

// Command codes.
enum : uint8_t {
    kCall = 0xD0,
    kSetAddress = 0xD1,
    kGetAddress = 0xD2,
    kDeleteRecord = 0xD5,
    kDeleteRedNames = 0xD6,
    kGetRedNamesCount = 0xD7,
    kGetRecordCount = 0xD8,
    kSetMachineMode = 0xD9,
    kGetMachineMode = 0xDA,
    kSetDateTime = 0xDD,
    kGetDateTime = 0xDE,
    kOpenMachine = 0xDF,
    kCloseMachine = 0xE0,
    kRestartMachine = 0xE1,
    kInitMachine = 0xE2,
    kMachinePassword = 0xE3,
    kSetRedNames = 0xE6,
    kGetRedNames = 0xE7,
    kGetRecord = 0xE8,
    kSendNameCode = 0xF1,
    kModiNameCode = 0xF2,
    kDeleteNameCode = 0xF3,
    kNameCodeQuery = 0xF4,
    kSendIndividualWord = 0xF5,
    kSendPublicWord = 0xF6,
    kDeleteWord = 0xF7,
    kScoutInfoOnOff = 0xF8,
    kScoutInfo = 0xF9,
    kBeef = 0xFA,
    kVoiceOnOff = 0xFB,
};

// A switch or kind argument travels only when it is one of the values the command knows.
uint8_t oneOf(int32_t v, int32_t lo, int32_t hi) {
    return v >= lo && v <= hi ? static_cast<uint8_t>(v) : 0;
}

int32_t simple(int32_t address, uint8_t code) {
    link::beginRequest(address, code);
    return link::exchange();
}

int32_t withByte(int32_t address, uint8_t code, uint8_t b) {
    link::beginRequest(address, code)[5] = b;
    return link::exchange();
}

int32_t count16(int32_t address, uint8_t code, uint8_t b5, int32_t* count) {
    link::beginRequest(address, code)[5] = b5;
    int32_t r = link::exchange();
    if (r == kOk && count) *count = link::reply()[5] * 256 + link::reply()[6];
    return r;
}

int32_t nameCode(int32_t address, uint8_t code, int32_t list, uint32_t card, const char* name) {
    uint8_t frame[kNameFrame];
    InitPacket(frame, kNameFrame);
    frame[3] = static_cast<uint8_t>(address & 0xFF);
    frame[4] = code;
    frame[5] = oneOf(list, 1, 2);
    putU32(frame + 6, card);
    putText(frame + 10, kNameField, name);
    return link::longRequest(frame, kNameFrame);
}

int32_t scout(int32_t address, int waitMs, uint32_t* card) {
    link::beginRequest(address, kScoutInfo);
    int32_t r = link::exchange(100 + waitMs);
    if (r == kOk && card) *card = getU32(link::reply() + 5);
    return r;
}

} // namespace

extern "C" {

int32_t TERVOX_API OpenPort(const char* portName) {
    return link::openPort(portName);
}
int32_t TERVOX_API ClosePort(void) {
    return link::closePort();
}
int32_t TERVOX_API GetComHandle(void) {
    return link::handle();
}

int32_t TERVOX_API SendDataPacket(const uint8_t* frame, int32_t lastIndex) {
    if (!frame || lastIndex < 0) return kWriteFailed;
    long n = link::send(frame, static_cast<std::size_t>(lastIndex) + 1);
    return n < 0 ? kWriteFailed : static_cast<int32_t>(n);
}

int32_t TERVOX_API ReadDataPacket(uint8_t* buffer, int32_t lastIndex) {
    if (!buffer || lastIndex < 0) return kReadFailed;
    long n = link::receive(buffer, static_cast<std::size_t>(lastIndex) + 1, 100);
    return n < 0 ? kReadFailed : static_cast<int32_t>(n);
}

int32_t TERVOX_API Call(int32_t address, int32_t* a, int32_t* b, int32_t* c) {
    int32_t r = simple(address, kCall);
    if (r == kOk) {
        const uint8_t* rep = link::reply();
        if (a) *a = rep[5];
        if (b) *b = rep[6];
        if (c) *c = rep[7];
    }
    return r;
}

int32_t TERVOX_API SetAddress(int32_t address, int32_t newAddress) {
    return withByte(address, kSetAddress, static_cast<uint8_t>(newAddress & 0xFF));
}

int32_t TERVOX_API GetAddress(int32_t* address) {
    if (!address) return kRefused;
    int32_t r = simple(*address, kGetAddress);
    if (r == kOk) *address = link::reply()[5];
    return r;
}

int32_t TERVOX_API DeleteRecord(int32_t address) {
    return simple(address, kDeleteRecord);
}
int32_t TERVOX_API DeleteRedNames(int32_t address) {
    return simple(address, kDeleteRedNames);
}

int32_t TERVOX_API GetRedNamesCount(int32_t address, int32_t* count) {
    return count16(address, kGetRedNamesCount, 0, count);
}

int32_t TERVOX_API GetRecordCount(int32_t address, int32_t* count) {
    return count16(address, kGetRecordCount, 0, count);
}

int32_t TERVOX_API SetMachineMode(int32_t address, int32_t mode) {
    return withByte(address, kSetMachineMode, modeToByte(mode));
}

int32_t TERVOX_API GetMachineMode(int32_t address, int32_t* mode) {
    int32_t r = simple(address, kGetMachineMode);
    if (r == kOk && mode) {
        int m = modeFromByte(link::reply()[5]);
        if (m >= 0) *mode = m; // an unknown mode byte leaves the output as it was
    }
    return r;
}

int32_t TERVOX_API SetDateTime(int32_t address, double dateTime) {
    uint8_t data[kStandardFrame] = {};
    if (!encodeClock(dateTime, data)) return kRefused;
    uint8_t* req = link::beginRequest(address, kSetDateTime);
    std::memcpy(req + 5, data + 5, 7);
    return link::exchange();
}

int32_t TERVOX_API GetDateTime(int32_t address, double* dateTime) {
    int32_t r = simple(address, kGetDateTime);
    if (r != kOk) return r;
    double value = 0;
    // Fields that form no date (month 0, day 32, hour 25) are a corrupt reply, not a date to use.
    if (!decodeClock(link::reply(), value)) return kBadChecksum;
    if (dateTime) *dateTime = value;
    return kOk;
}

int32_t TERVOX_API OpenMachine(int32_t address) {
    return simple(address, kOpenMachine);
}
int32_t TERVOX_API CloseMachine(int32_t address) {
    return simple(address, kCloseMachine);
}

int32_t TERVOX_API RestartMachine(int32_t address) {
    link::beginRequest(address, kRestartMachine);
    return link::exchange(0, true);
}

int32_t TERVOX_API InitMachine(int32_t address) {
    return simple(address, kInitMachine);
}

int32_t TERVOX_API MachinePassword(int32_t address, int32_t mode, char** password) {
    if (mode == 1) {
        if (!password || !*password || ::strnlen(*password, 9) != 8) return kRefused;
        uint8_t digits[8];
        for (int i = 0; i < 8; ++i) {
            unsigned char ch = static_cast<unsigned char>((*password)[i]);
            if (ch < '0' || ch > '9') return kRefused; // the terminal takes digit values only
            digits[i] = static_cast<uint8_t>(ch - '0');
        }
        uint8_t* req = link::beginRequest(address, kMachinePassword);
        req[5] = 1;
        std::memcpy(req + 6, digits, 8);
        return link::exchange();
    }
    if (mode == 2) {
        if (!password || !*password) return kRefused;
        link::beginRequest(address, kMachinePassword)[5] = 2;
        int32_t r = link::exchange();
        if (r == kOk) renderPassword(link::reply(), *password);
        return r;
    }
    return kNothingMoved;
}

int32_t TERVOX_API SetRedNames(int32_t address, uint32_t card1, uint32_t card2) {
    uint8_t* req = link::beginRequest(address, kSetRedNames);
    putU32(req + 5, card1);
    putU32(req + 9, card2);
    return link::exchange();
}

int32_t TERVOX_API GetRedNames(int32_t address, int32_t recordNo, uint32_t* card1, uint32_t* card2) {
    putU16(link::beginRequest(address, kGetRedNames) + 5, static_cast<uint32_t>(recordNo));
    int32_t r = link::exchange();
    if (r == kOk) {
        if (card1) *card1 = getU32(link::reply() + 5);
        if (card2) *card2 = getU32(link::reply() + 9);
    }
    return r;
}

int32_t TERVOX_API GetRecord(int32_t address, int32_t recordNo, TerminalRecord* records, int32_t lastIndex) {
    putU16(link::beginRequest(address, kGetRecord) + 5, static_cast<uint32_t>(recordNo));
    uint8_t page[kRecordFrame] = {};
    int32_t r = link::longReply(page, kRecordFrame, 120);
    if (r != kOk) return r;
    // The caller's array holds lastIndex + 1 elements; never write past it.
    int capacity = lastIndex < 0 ? 0 : (lastIndex >= kRecordsPerPage ? kRecordsPerPage : lastIndex + 1);
    if (!records) capacity = 0;
    return decodeRecordPage(page, records, capacity);
}

int32_t TERVOX_API SendNameCode(int32_t address, int32_t list, uint32_t card, const char* name) {
    return nameCode(address, kSendNameCode, list, card, name);
}

int32_t TERVOX_API ModiNameCode(int32_t address, int32_t list, uint32_t card, const char* name) {
    return nameCode(address, kModiNameCode, list, card, name);
}

int32_t TERVOX_API DeleteNameCode(int32_t address, int32_t kind, uint32_t card) {
    uint8_t* req = link::beginRequest(address, kDeleteNameCode);
    req[5] = oneOf(kind, 1, 4);
    if (kind == 3 || kind == 4) putU32(req + 6, card);
    return link::exchange();
}

int32_t TERVOX_API GetNameCodeCount(int32_t address, int32_t list, int32_t* count) {
    return count16(address, kNameCodeQuery, oneOf(list, 1, 2), count);
}

int32_t TERVOX_API GetNameCode(int32_t address, int32_t selector, int32_t recordNo, int32_t* leadByte,
                               uint32_t* card, char** name) {
    uint8_t* req = link::beginRequest(address, kNameCodeQuery);
    req[5] = oneOf(selector, 3, 4);
    putU16(req + 6, static_cast<uint32_t>(recordNo));
    uint8_t frame[kNameFrame] = {};
    int32_t r = link::longReply(frame, kNameFrame, 100);
    if (r != kOk) return r;
    int32_t lead = 0;
    uint32_t c = 0;
    char text[kNameField + 1];
    decodeNameCode(frame, lead, c, text);
    if (leadByte) *leadByte = lead;
    if (card) *card = c;
    if (name && *name) std::memcpy(*name, text, std::strlen(text) + 1);
    return kOk;
}

int32_t TERVOX_API SendPublicWord(int32_t address, double start, double end, const char* text) {
    uint8_t frame[kPublicWordFrame];
    InitPacket(frame, kPublicWordFrame);
    frame[3] = static_cast<uint8_t>(address & 0xFF);
    frame[4] = kSendPublicWord;
    putText(frame + 5, kTextField, text);
    if (!encodeValidity(start, frame + 69) || !encodeValidity(end, frame + 73)) return kRefused;
    return link::longRequest(frame, kPublicWordFrame);
}

int32_t TERVOX_API SendIndividualWord(int32_t address, uint32_t card, double start, double end,
                                      const char* text) {
    uint8_t frame[kPersonalWordFrame];
    InitPacket(frame, kPersonalWordFrame);
    frame[3] = static_cast<uint8_t>(address & 0xFF);
    frame[4] = kSendIndividualWord;
    putU32(frame + 5, card);
    putText(frame + 9, kTextField, text);
    if (!encodeValidity(start, frame + 73) || !encodeValidity(end, frame + 77)) return kRefused;
    return link::longRequest(frame, kPersonalWordFrame);
}

int32_t TERVOX_API DeleteWord(int32_t address, int32_t kind, uint32_t card) {
    uint8_t* req = link::beginRequest(address, kDeleteWord);
    req[5] = oneOf(kind, 1, 2);
    putU32(req + 6, card);
    return link::exchange();
}

int32_t TERVOX_API ScoutInfoOnOff(int32_t address, int32_t onOff) {
    return withByte(address, kScoutInfoOnOff, oneOf(onOff, 1, 2));
}

int32_t TERVOX_API ScoutInfo(int32_t address, uint32_t* card) {
    return scout(address, 0, card);
}

int32_t TERVOX_API ScoutInfo2(int32_t address, int32_t waitMs, uint32_t* card) {
    // Clamped so the read's own 100 ms can be added without overflow.
    const int32_t wait = waitMs < 0 ? 0 : (waitMs > 0x7FFF0000 ? 0x7FFF0000 : waitMs);
    return scout(address, wait, card);
}

int32_t TERVOX_API Beef(int32_t address, int32_t count) {
    link::beginRequest(address, kBeef)[5] = static_cast<uint8_t>(count & 0xFF);
    return link::exchange(0, true);
}

int32_t TERVOX_API VoiceOnOff(int32_t address, int32_t onOff) {
    return withByte(address, kVoiceOnOff, oneOf(onOff, 1, 2));
}

} // extern "C"
