#include "core/model/IconRule.h"

#include "core/model/LinkStatus.h"

int ImageFor(int nKind, std::int32_t nStatus)
{
    return LinkStatusInfoFor(nStatus).m_nIconOffset + nKind;
}
