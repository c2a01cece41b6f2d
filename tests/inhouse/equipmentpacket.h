#pragma once
// Five machines in three groups, with accents and codes that begin other codes (EQ1x), for the
// library's search and picker tests.
#include <zrt/common/datapacket.h>

inline zrt::DataPacket Equipment()
{
  zrt::DataPacket p;
  p.fields = {{"CDEQUIPPRO", zrt::FieldType::String, 10},
              {"NMEQUIPPRO", zrt::FieldType::String, 40},
              {"CDGRUPOEQUIPA", zrt::FieldType::String, 10}};
  p.rows = {{"EQ01", "Torno Mecânico", "G1"},
            {"EQ02", "Prensa Hidráulica", "G1"},
            {"EQ10", "Estação de Solda", "G2"},
            {"EQ11", "Hidrojato", "G2"},
            {"EQ12", "Fresadora", "G3"}};
  return p;
}
