#pragma once

// Qt's own texts (dialog buttons, command-line help and errors) in German.
void InstallGermanTranslations();
