#pragma once
// Reads a server's answer straight into data-set rows, without a JSON tree in between: the
// JSON-RPC error, or the data packet's field list and rows with every cell already in its
// field's storage kind. Outcomes and texts are those of the tree parser and the packet check.
#include <inhouse/data/clientdataset.h>
#include <inhouse/inhouse_core_export.h>

#include <QString>

#include <string>

struct TPacketAnswer {
  bool ok = false;     // the answer carries a result
  int code = 0;        // JSON-RPC error code when !ok; 0 for transport failures
  QString message;     // when !ok: Portuguese, for the user
  QString packetError; // when ok: what makes the result no data packet; empty when it is one
  TDataTable table;
};

// `body` is the whole HTTP body; spare capacity behind its text spares the parser a copy.
INHOUSE_CORE_EXPORT TPacketAnswer ReadPacketAnswer(const std::string &body);

// A large answer (a year of reservations is megabytes) is read into fresh memory; by default the
// C library hands the freed memory back to the system after each answer, and the next answer
// pays a page fault per page again, which costs more than reading it. The process keeps it
// instead, up to a bound. Called once at start by the host, before any answer.
INHOUSE_CORE_EXPORT void KeepMemoryForAnswers();
