// Damaged scene documents for the robustness sweeps: one load of a damaged copy, and seeded
// mutations of a document's bytes.
#pragma once

#include <cstdint>
#include <random>
#include <vector>

enum class LoadOutcome { Loaded, DocumentError, Other };

// Loads `bytes` as the scene document: it loads, ends in the document error, or ends otherwise.
LoadOutcome LoadDamagedDocument(const std::vector<uint8_t>& bytes);

// A copy of `document` with one to six edits at random places: a random byte, a flipped bit,
// four 0xFF bytes (a large count or length) or a zero byte.
std::vector<uint8_t> MutatedDocument(const std::vector<uint8_t>& document, std::mt19937& random);
