#pragma once
// The statements behind the server's methods, public so that a benchmark runs exactly them.
// Status codes arrive already decoded; an unselected one is bound as NULL, which matches
// nothing. Date-times are bound as "YYYY-MM-DD HH:MM:SS" text, the form SQLite stores and
// PostgreSQL reads as a timestamp literal. A reservation occupies [DTHRINIPROD, DTHRFINPROD);
// the period [start, end] includes both of its ends.

namespace zrt::appserver::sql {

#define RESERVATION_FROM                                                                                                         \
  " FROM RESEQUIPPROD R"                                                                                                         \
  " JOIN ORDPROD O ON O.NRORDPROD = R.NRORDPROD"                                                                                 \
  " LEFT JOIN PRODUTO P ON P.CDPRODUTO = O.CDPRODUTO"                                                                            \
  " WHERE R.CDEQUIPPRO = ? AND O.IDSITORDPROD IN (?, ?, ?)"

#define RESERVATION_COLUMNS                                                                                                      \
  "SELECT R.NRORDPROD, O.CDARVPROD, O.CDPRODUTO, P.NMPRODUTO, R.DTHRINIPROD, R.DTHRFINPROD,"                                     \
  " O.IDSITORDPROD, R.QTPRODRESPROC"

// Parameters: equipment, the three status codes, then the bounds in the order they appear.
// The last parameter of each query is the earliest start that can still reach the period
// (its start less the longest reservation): it turns "started before the end" into an index range.
inline constexpr const char *kSqlPeriod =
    RESERVATION_COLUMNS RESERVATION_FROM " AND R.DTHRINIPROD <= ? AND R.DTHRFINPROD > ? AND R.DTHRINIPROD >= ?"
                                         " ORDER BY R.DTHRINIPROD, R.NRORDPROD";

inline constexpr const char *kSqlStartsInPeriod =
    "SELECT R.DTHRINIPROD" RESERVATION_FROM " AND R.DTHRINIPROD <= ? AND R.DTHRFINPROD > ? AND R.DTHRINIPROD >= ?"
    " ORDER BY R.DTHRINIPROD, R.NRORDPROD";

// Whole days: [first day 00:00, last day + 1) is half-open.
inline constexpr const char *kSqlDays =
    RESERVATION_COLUMNS RESERVATION_FROM " AND R.DTHRINIPROD < ? AND R.DTHRFINPROD > ? AND R.DTHRINIPROD >= ?"
                                         " ORDER BY R.DTHRINIPROD, R.NRORDPROD";

// The day [day, day + 1) and the period [start, end] together.
inline constexpr const char *kSqlDayInPeriod =
    RESERVATION_COLUMNS RESERVATION_FROM " AND R.DTHRINIPROD < ? AND R.DTHRFINPROD > ?"
                                         " AND R.DTHRINIPROD <= ? AND R.DTHRFINPROD > ? AND R.DTHRINIPROD >= ?"
                                         " ORDER BY R.DTHRINIPROD, R.NRORDPROD";

inline constexpr const char *kSqlLongestSQLite = "SELECT MAX(julianday(DTHRFINPROD) - julianday(DTHRINIPROD)) FROM RESEQUIPPROD";
inline constexpr const char *kSqlLongestPostgres =
    "SELECT EXTRACT(EPOCH FROM MAX(DTHRFINPROD - DTHRINIPROD)) / 86400.0 FROM RESEQUIPPROD";

// Code lists are tested as whole codes: ';' || CODE || ';' inside ';A;B;'.
#define EQUIPMENT_SELECTION                                                                                                      \
  " (? = 0 OR INSTR(?, ';' || E.CDGRUPOEQUIPA || ';') > 0)"                                                                      \
  " AND (? = 0 OR INSTR(?, ';' || E.CDEQUIPPRO || ';') > 0)"

inline constexpr const char *kSqlFreeEquipment =
    "SELECT E.CDEQUIPPRO, E.NMEQUIPPRO FROM EQUIPAPROD E WHERE" EQUIPMENT_SELECTION " ORDER BY E.CDEQUIPPRO";

// Every status but concluded ("3") occupies time.
// Equipment first (CROSS JOIN fixes that order on SQLite): each one's reservations are then an
// index range, instead of one pass over the whole reservation index.
inline constexpr const char *kSqlFreeBusy =
    "SELECT R.CDEQUIPPRO, R.DTHRINIPROD, R.DTHRFINPROD"
    " FROM EQUIPAPROD E CROSS JOIN RESEQUIPPROD R"
    " JOIN ORDPROD O ON O.NRORDPROD = R.NRORDPROD"
    " WHERE R.CDEQUIPPRO = E.CDEQUIPPRO AND" EQUIPMENT_SELECTION
    " AND O.IDSITORDPROD <> '3' AND R.DTHRINIPROD <= ? AND R.DTHRFINPROD > ? AND R.DTHRINIPROD >= ?"
    " ORDER BY E.CDEQUIPPRO, R.DTHRINIPROD";

// The schema's version; it fails on a database without the schema, which makes it the health check too.
inline constexpr const char *kSqlSchemaVersion = "SELECT MAX(VERSAO) FROM ZRT_SCHEMA_VERSION";

} // namespace zrt::appserver::sql
