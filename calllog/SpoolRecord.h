#pragma once

#include "calllog/Call.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>

// A call waiting in the spool; the id is the caller's, unique among the waiting calls.
struct SpooledCall
{
    quint64 id = 0;
    Call call;

    friend bool operator==(const SpooledCall &, const SpooledCall &) = default;
};

// The bytes of the spool file. Each record is
//   0x1E "RVS" version SP length SP crc SP payload LF
// with the version in decimal, the payload's length and a CRC-32 of everything from the
// version to the payload's end (the crc field left out) in 8 hex digits each. The payload
// is a kind and key=value fields separated by blanks, every value percent-encoded, so no
// value can hold a blank, a line end or the 0x1E that starts a record: a reader that meets
// a torn record finds the next one by that byte alone. Kinds:
//   call id=<decimal> at=<yyyy-MM-ddTHH:mm> number=<text> name=<text> [action=blocked]
//   stored ids=<decimal>,<decimal>,...
// Readers skip fields and kinds they do not know. The action is written only for a call
// the line was hung up on, so every other record stays as earlier releases wrote it, and
// their readers take a hung-up call as an ordinary one rather than a damaged record.
namespace spoolrecord {

inline constexpr int Version = 1;
// A longer payload is not one of ours (a number and a name take some 100 KB at most).
inline constexpr qsizetype MaxPayload = 1024 * 1024;
// Ids per stored record, so that no record comes near MaxPayload.
inline constexpr qsizetype MaxIdsPerRecord = 4096;

quint32 crc32(QByteArrayView bytes, quint32 crc = 0);

// Empty when the call cannot be written (its date-time is invalid or out of range).
QByteArray encodeCall(const SpooledCall &call);
// As many records as the ids need; empty for no ids.
QByteArray encodeStored(const QList<quint64> &ids);

struct Waiting
{
    SpooledCall call;
    qsizetype bytes = 0; // the size of its record
};

struct Damage
{
    qint64 offset = 0;
    qint64 length = 0;
};

struct Contents
{
    QList<Waiting> waiting;  // calls not yet marked stored, in file order
    QList<Damage> damage;    // stretches that are no readable record, in file order
    quint64 highestId = 0;   // over every call record read
    bool onlyWaiting = true; // nothing in the file but the waiting calls' records
};

// Reads what the file holds. A call whose id is already waiting is a repeat of it (an append
// retried after an error) and is dropped; a stored mark covers the calls before it.
Contents decode(QByteArrayView file);

} // namespace spoolrecord
