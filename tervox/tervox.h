#ifndef TERVOX_H
#define TERVOX_H
/*
 * Tervox: the serial protocol of the NV820 proximity-card terminal as plain C functions.
 *
 * One serial port per process: OpenPort it, then address terminals on that line by number (only the
 * low 8 bits of an address travel). Every command blocks for one request/reply exchange (a little over
 * 100 ms when the terminal answers, about 115 ms when it does not) and returns a result code:
 *
 *    1  success (outputs written)            -8  reply checksum wrong
 *    0  nothing moved (no answer, or the     -9  reply does not begin with 0xE0 0x7D
 *       write of a long frame failed)       -11  the read call failed
 *    2..n-1  short transfer, bytes moved    -12  the write call failed (15-byte requests)
 *   -1  argument refused, nothing sent
 *
 * -8 also stands for a reply whose date fields form no date (month 13, day 32, hour 25).
 * A reply of a single byte gives -9 (1 would read as success); a failed one-byte write gives the
 * write-failure code. Bytes still waiting from an earlier reply are discarded before each request, so a
 * late reply can disturb at most the exchange it arrives in.
 *
 * Output variables keep the caller's values unless the result is 1. Calls must not overlap: one thread,
 * one command at a time. Strings in are NUL-terminated CP936 bytes; text outputs go to a buffer whose
 * address the caller passes through a char** (9 bytes at least). Date-times are day counts since
 * 1899-12-30 with the time of day as the fraction.
 */

#include <stdint.h>

#if defined(_WIN32)
#define TERVOX_API __stdcall
#else
#define TERVOX_API __attribute__((visibility("default")))
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* One stored swipe of the terminal; GetRecord fills up to six of them. */
typedef struct TerminalRecord {
    uint32_t card;   /* 0 marks the end of the stored records */
    double dateTime; /* to the minute, seconds 0 */
} TerminalRecord;

/* Working modes of SetMachineMode / GetMachineMode. */
enum {
    TERVOX_MODE_PLAIN = 0,      /* attendance without red list */
    TERVOX_MODE_RED_LIST = 1,   /* attendance with red list */
    TERVOX_MODE_CARD_READER = 2 /* card-reader (card-issuer) mode */
};

/* Port: OpenPort takes a device path or "COMn" (/dev/ttyS<n-1>).
 * OpenPort: 1 opened, 2 already open (nothing done), 0 device or settings failed, -1 time-outs failed.
 * ClosePort: 1 closed, 2 none open, -1 close refused.
 * GetComHandle: the stored handle (0 before the first OpenPort, -1 after a failed device open); it keeps
 * its value after ClosePort. */
int32_t TERVOX_API OpenPort(const char* portName);
int32_t TERVOX_API ClosePort(void);
int32_t TERVOX_API GetComHandle(void);

/* Raw primitives (used by every command; exported, but callers use the commands).
 * SendDataPacket: discards both queues, writes frame[0..lastIndex]; bytes written or -12.
 * ReadDataPacket: waits 100 ms, reads lastIndex+1 bytes within 1 ms per byte; bytes read or -11. */
int32_t TERVOX_API SendDataPacket(const uint8_t* frame, int32_t lastIndex);
int32_t TERVOX_API ReadDataPacket(uint8_t* buffer, int32_t lastIndex);

/* Link, address and state. */
int32_t TERVOX_API Call(int32_t address, int32_t* a, int32_t* b, int32_t* c); /* version is b.c */
int32_t TERVOX_API SetAddress(int32_t address, int32_t newAddress);
int32_t TERVOX_API GetAddress(int32_t* address); /* in: the terminal asked; out: its reply */
int32_t TERVOX_API GetMachineMode(int32_t address, int32_t* mode);
int32_t TERVOX_API SetMachineMode(int32_t address, int32_t mode);
int32_t TERVOX_API GetDateTime(int32_t address, double* dateTime);
int32_t TERVOX_API SetDateTime(int32_t address, double dateTime);
int32_t TERVOX_API OpenMachine(int32_t address);    /* external service on */
int32_t TERVOX_API CloseMachine(int32_t address);   /* external service off */
int32_t TERVOX_API RestartMachine(int32_t address); /* write-only */
int32_t TERVOX_API InitMachine(int32_t address);
/* mode 1: set the factory password from *password (exactly 8 decimal digits, else -1);
 * mode 2: read the maker's password into *password (9 bytes); other modes: 0, nothing sent. */
int32_t TERVOX_API MachinePassword(int32_t address, int32_t mode, char** password);

/* Realtime swipes, beep, voice. Switches: 1 on, 2 off. */
int32_t TERVOX_API ScoutInfoOnOff(int32_t address, int32_t onOff);
int32_t TERVOX_API ScoutInfo(int32_t address, uint32_t* card); /* card 0: no swipe to report */
int32_t TERVOX_API ScoutInfo2(int32_t address, int32_t waitMs, uint32_t* card);
int32_t TERVOX_API Beef(int32_t address, int32_t count); /* write-only */
int32_t TERVOX_API VoiceOnOff(int32_t address, int32_t onOff);

/* Red list: cards numbered from 1; record k returns cards k and k+1 (0 for an empty place). */
int32_t TERVOX_API DeleteRedNames(int32_t address);
int32_t TERVOX_API GetRedNamesCount(int32_t address, int32_t* count);
int32_t TERVOX_API SetRedNames(int32_t address, uint32_t card1, uint32_t card2);
int32_t TERVOX_API GetRedNames(int32_t address, int32_t recordNo, uint32_t* card1, uint32_t* card2);

/* Stored swipes: record k returns records k..k+5 into records[0..5] (at most lastIndex+1 of them);
 * decoding stops at the first card 0. */
int32_t TERVOX_API DeleteRecord(int32_t address);
int32_t TERVOX_API GetRecordCount(int32_t address, int32_t* count);
int32_t TERVOX_API GetRecord(int32_t address, int32_t recordNo, TerminalRecord* records, int32_t lastIndex);

/* Name codes: list 1 the name-code list, 2 the temporary list. Names are cut to 8 bytes.
 * DeleteNameCode kinds: 1 whole list, 2 whole temporary list, 3/4 the card's entry in list/temporary.
 * GetNameCode selector: 3 name-code list, 4 temporary list; *name receives up to 8 bytes and a NUL. */
int32_t TERVOX_API SendNameCode(int32_t address, int32_t list, uint32_t card, const char* name);
int32_t TERVOX_API ModiNameCode(int32_t address, int32_t list, uint32_t card, const char* name);
int32_t TERVOX_API DeleteNameCode(int32_t address, int32_t kind, uint32_t card);
int32_t TERVOX_API GetNameCodeCount(int32_t address, int32_t list, int32_t* count);
int32_t TERVOX_API GetNameCode(int32_t address, int32_t selector, int32_t recordNo, int32_t* leadByte,
                               uint32_t* card, char** name);

/* Messages, valid from start to end (month, day, hour and minute travel). Texts are cut to 64 bytes.
 * DeleteWord kinds: 1 all messages; 2 with card 0 the public message, with a card that card's. */
int32_t TERVOX_API SendPublicWord(int32_t address, double start, double end, const char* text);
int32_t TERVOX_API SendIndividualWord(int32_t address, uint32_t card, double start, double end,
                                      const char* text);
int32_t TERVOX_API DeleteWord(int32_t address, int32_t kind, uint32_t card);

#ifdef __cplusplus
}
#endif

#endif /* TERVOX_H */
