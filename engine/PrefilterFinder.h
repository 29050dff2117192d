#pragma once
// Finds the lines of a Shift-JIS text where a pattern may match, for any
// pattern, in one pass of an automaton compiled from the pattern's byte form
// (see PrefilterPattern.h): it may find lines that don't match, never misses
// one that does. Built only where the scanning library is there; elsewhere
// there is never a finder, and lines are found the other ways.
#include <cstddef>
#include <memory>
#include <optional>
#include <string_view>
#include <vector>

#include "engine/PrefilterPattern.h"

namespace tansa2 {

class TPrefilterFinder {
 public:
  // Nothing when the library or the processor can't run it, the pattern
  // isn't understood, or its byte form matches everywhere. With
  // `keepAnchors` the finder is only for text whose lines all end at LF.
  static std::optional<TPrefilterFinder> Of(std::string_view body, bool ignoreCase, bool keepAnchors,
                                            TPrefilterCode code = TPrefilterCode::Sjis);

  TPrefilterFinder(TPrefilterFinder&&) noexcept;
  TPrefilterFinder& operator=(TPrefilterFinder&&) noexcept;
  ~TPrefilterFinder();

  struct TAutomaton;
  // Finds the lines of one text, a stretch of it at a time.
  class TScanner {
   public:
    explicit TScanner(TAutomaton& automaton) : automaton_(automaton) {}
    // A place at or after `from`, a line start, in the first line there
    // that may hold a match (or, now and then, in a line after a long
    // stretch without one, so that the caller sees a cancel); npos when
    // there is none. Calls for one text, `from` rising.
    size_t Find(std::string_view text, size_t from) const;

   private:
    TAutomaton& automaton_;
    // The lines found in the stretch last scanned, from its start, in order.
    mutable bool scanned_ = false;
    mutable size_t stretchFrom_ = 0;
    mutable size_t stretchEnd_ = 0;
    mutable std::vector<size_t> found_;
    mutable size_t next_ = 0;  // the first of `found_` not yet given
  };
  TScanner Scanner() const { return TScanner(*automaton_); }

  // Whether the finder holds line anchors.
  bool Anchored() const { return anchored_; }

 private:
  TPrefilterFinder(std::unique_ptr<TAutomaton> automaton, bool anchored);
  std::unique_ptr<TAutomaton> automaton_;
  bool anchored_ = false;
};

}  // namespace tansa2
