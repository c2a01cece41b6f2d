#pragma once
// A data set loaded whole from a server data packet or a table read straight from an answer.
#include <inhouse/data/dataset.h>
#include <inhouse/inhouse_core_export.h>

#include <zrt/common/datapacket.h>

#include <optional>

// A whole table as a client data set holds it: the field list and the rows, every cell in its
// field's storage kind (QString; double for dates, date-times and floats; qint64; bool; QVariant()
// for null).
struct TDataTable {
  std::vector<zrt::FieldDef> fields;
  std::vector<TDataSet::Row> rows;
};

// The packet's cells as data-set values; an integer in a float or date field becomes a double.
INHOUSE_CORE_EXPORT TDataTable ToDataTable(zrt::DataPacket &&packet);

class INHOUSE_CORE_EXPORT TClientDataSet : public TDataSet {
  Q_OBJECT
public:
  explicit TClientDataSet(QObject *parent = nullptr);

  // Closes the set if open, keeps the rows and opens it (BeforeOpen runs as on Open).
  void SetData(const zrt::DataPacket &packet);
  void SetData(zrt::DataPacket &&packet);
  void SetData(TDataTable &&table); // the rows move in without a copy
  // The rows as they stand (posted edits included), with the loaded field list; built on each
  // call.
  zrt::DataPacket Data() const;
  bool HasData() const { return m_table.has_value(); }
  void EmptyDataSet(); // removes every row; the set stays open

protected:
  void InternalOpen() override;
  void InternalClose() override;

private:
  // The rows live here while the set is closed and in the data set while it is open.
  std::optional<TDataTable> m_table;
  bool m_changed = false; // rows inserted, changed or removed since the table was loaded
};
