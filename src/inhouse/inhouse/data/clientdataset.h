#pragma once
// A data set loaded whole from a server data packet.
#include <inhouse/data/dataset.h>
#include <inhouse/inhouse_core_export.h>

#include <zrt/common/datapacket.h>

#include <optional>

class INHOUSE_CORE_EXPORT TClientDataSet : public TDataSet {
  Q_OBJECT
public:
  explicit TClientDataSet(QObject *parent = nullptr);

  // Closes the set if open, keeps the packet and opens it (BeforeOpen runs as on Open).
  void SetData(const zrt::DataPacket &packet);
  void SetData(zrt::DataPacket &&packet); // takes the rows over without copying them
  // The rows as they stand (posted edits included), with the loaded field list.
  zrt::DataPacket Data() const;
  bool HasData() const { return m_packet.has_value(); }
  void EmptyDataSet(); // removes every row; the set stays open

protected:
  void InternalOpen() override;
  void InternalClose() override;

private:
  std::optional<zrt::DataPacket> m_packet;
  bool m_changed = false; // rows inserted, changed or removed since the packet was loaded
};
