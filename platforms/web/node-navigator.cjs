// SPDX-License-Identifier: GPL-3.0-or-later
// QtCore asks the browser for the user's languages; node 20 has no navigator, so the tests run
// under node get a plain English one.
globalThis.navigator ??= { languages: ['en-US'], language: 'en-US' };
