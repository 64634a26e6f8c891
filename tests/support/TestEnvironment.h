#pragma once

// Every test process starts from the same locale, with folders of its own in place of
// the user's; tests that need another locale pin it themselves.
void pinTestEnvironment();
