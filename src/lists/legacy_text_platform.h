#pragma once

// The system's half of the legacy text module: the double-byte table of code
// page 936. One file per system implements it.

namespace taviro::legacy_text {

constexpr int kFirstLead = 0x81, kLastLead = 0xFE;
constexpr int kFirstTrail = 0x40, kLastTrail = 0xFE; // 0x7F is never a trail byte
constexpr int kLeads = kLastLead - kFirstLead + 1;
constexpr int kTrails = kLastTrail - kFirstTrail + 1;

// Where a double-byte code stands in the table.
constexpr int pairIndex(int lead, int trail) { return (lead - kFirstLead) * kTrails + (trail - kFirstTrail); }

// Fills table[pairIndex(lead, trail)] with the UTF-16 character of each
// double-byte code, or 0 where the system maps it to nothing or to more than
// one unit. Returns false when the system has no
// converter for the code page.
bool readSystemPairTable(char16_t *table);

} // namespace taviro::legacy_text
