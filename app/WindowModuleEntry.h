#pragma once

// The seam between `festmark` and its window module: the entry's type and symbol, written
// once for both sides, so that a changed signature fails to compile instead of crashing.
extern "C" {
using FestmarkRunWindow = int(int *argc, char **argv);
}

inline constexpr char kRunWindowSymbol[] = "festmark_run_window";
// festmark --notify: the terminal's command with the desktop's notification, which the
// module holds so that the terminal's other commands load no D-Bus.
inline constexpr char kRunNotifySymbol[] = "festmark_run_notify";

// A stored password of an address book on a server, for the terminal, which loads the
// module only when a source needs one: `key` and the answer in UTF-16, the answer's length,
// or -1 when the keyring has none (`capacity` too small counts as none).
extern "C" {
using FestmarkKeyringPassword = int(const char16_t *key, int keyLength, char16_t *password,
                                    int capacity);
}
inline constexpr char kKeyringPasswordSymbol[] = "festmark_keyring_password";

// Keeps a typed password that worked: 0 when the keyring took it, -1 when it did not.
extern "C" {
using FestmarkKeyringStore = int(const char16_t *key, int keyLength, const char16_t *password,
                                 int passwordLength);
}
inline constexpr char kKeyringStoreSymbol[] = "festmark_keyring_store";

// Reads an address book's server into its cache for the terminal, within `timeoutMs`: the
// strings in UTF-16; the outcome (SyncOutcome::Result) is returned, its message written.
extern "C" {
struct FestmarkSyncRequest {
    const char16_t *source;
    int sourceLength;
    const char16_t *user;
    int userLength;
    const char16_t *password;
    int passwordLength;
    int timeoutMs;
    char16_t message[2048];
    int messageLength;
};
using FestmarkSyncAddressBook = int(FestmarkSyncRequest *request);
}
inline constexpr char kSyncAddressBookSymbol[] = "festmark_sync_address_book";
