// The readers' shared console lines.
#include "assets/load_report.h"

namespace {

std::FILE* reportStream = nullptr; // null means standard output, whatever it is at the time

const char* errorText(LoadError error)
{
    switch (error) {
    case LoadError::FileNotFound: return "error, file not found!\n";
    case LoadError::InvalidFormat: return "error, invalid format!\n";
    case LoadError::OutOfMemory: return "error, unable to allocate memory!\n";
    case LoadError::FileDamaged: return "error, file appears to be damaged!\n";
    case LoadError::NoRleHeader: return "error, could not read RLE header.\n";
    case LoadError::NoRawPixel: return "error, could not read image data.\n";
    case LoadError::NoRunPixel: return "error, could not read from file.\n";
    case LoadError::TooManyPixels: return "error, too many pixels read.\n";
    }
    return "";
}

} // namespace

std::FILE* loadReportStream() { return reportStream ? reportStream : stdout; }

void setLoadReportStream(std::FILE* stream) { reportStream = stream; }

void reportLoadingModel(const char* fileName)
{
    std::fprintf(loadReportStream(), "Loading model %s: ", fileName);
}

void reportLoadingLibrary(const char* fileName)
{
    std::fprintf(loadReportStream(), "Loading material library %s: ", fileName);
}

void reportLoadingTexture(const char* fileName)
{
    std::fprintf(loadReportStream(), "Loading texture %s: ", fileName);
}

void reportDone() { std::fputs("done.\n", loadReportStream()); }

void reportLoadError(LoadError error) { std::fputs(errorText(error), loadReportStream()); }

void reportCompletedModel(const char* fileName)
{
    std::fprintf(loadReportStream(), "Completed loading model %s.\n\n", fileName);
}
