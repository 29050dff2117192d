#pragma once
// The signals a long or refused operation gives the user: the beep and the
// hourglass cursor.

namespace tansa2::platform {

void Beep();

// Shows the hourglass over the whole application for its lifetime, so the
// cursor comes back on every way out of an operation.
class TWaitCursor {
 public:
  TWaitCursor();
  ~TWaitCursor();
  TWaitCursor(const TWaitCursor&) = delete;
  TWaitCursor& operator=(const TWaitCursor&) = delete;
};

}  // namespace tansa2::platform
