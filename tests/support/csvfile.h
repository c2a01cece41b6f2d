#pragma once
// Reads back a CSV file the grids wrote, with libcsv's parser: the byte order mark is checked
// and skipped, fields are split on `delimiter`. A file that is missing, has no mark or does not
// parse gives one row naming the problem, so a comparison shows it.
#include <QFile>
#include <QList>
#include <QStringList>

#include <csv.h>

using CsvTable = QList<QStringList>;

inline CsvTable ReadCsv(const QString &path, char delimiter)
{
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly))
    return {{QStringLiteral("no file")}};
  QByteArray bytes = file.readAll();
  if (!bytes.startsWith("\xEF\xBB\xBF"))
    return {{QStringLiteral("no byte order mark")}};
  bytes.remove(0, 3);
  struct Sink {
    CsvTable rows;
    QStringList row;
  } sink;
  csv_parser parser;
  csv_init(&parser, CSV_STRICT | CSV_STRICT_FINI);
  csv_set_delim(&parser, static_cast<unsigned char>(delimiter));
  const auto field = [](void *s, size_t n, void *data) {
    static_cast<Sink *>(data)->row << QString::fromUtf8(static_cast<const char *>(s), qsizetype(n));
  };
  const auto record = [](int, void *data) {
    auto *target = static_cast<Sink *>(data);
    target->rows << target->row;
    target->row.clear();
  };
  const bool parsed = csv_parse(&parser, bytes.constData(), size_t(bytes.size()), field, record, &sink) == size_t(bytes.size()) &&
                      csv_fini(&parser, field, record, &sink) == 0;
  csv_free(&parser);
  return parsed ? sink.rows : CsvTable{{QStringLiteral("not valid CSV")}};
}
