#pragma once

namespace kestrel {

// The add-in's own setting (its settings file, section "SafetyNet", key
// "Enabled"): whether copies pass through preview, read-back and journal.
// On unless the engineer has switched it off.
bool SafetyNetSetting();
void SetSafetyNetSetting(bool on);

}  // namespace kestrel
