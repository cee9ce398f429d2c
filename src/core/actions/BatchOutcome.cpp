#include "core/actions/BatchOutcome.h"

std::string BatchErrorLine(std::string_view strVerb, std::string_view strName, std::string_view strErrorText)
{
    std::string strLine = "Could not ";
    strLine += strVerb;
    strLine += " \"";
    strLine += strName;
    strLine += "\": ";
    strLine += strErrorText;
    return strLine;
}

std::string BatchSummary(int nDone, int nFailed, std::string_view strThings, std::string_view strDone)
{
    std::string strText = nDone > 0 ? std::to_string(nDone) + " of the " : std::string("None of the ");
    strText += strThings;
    strText += " were ";
    strText += strDone;
    strText += " successfully.  Below ";
    strText += nFailed == 1 ? "is the error" : "are the errors";
    strText += " for the " + std::to_string(nFailed) + " that could not be ";
    strText += strDone;
    strText += '.';
    return strText;
}
