#include "model/catalog_error.h"

namespace lumivex::CatalogError {

Error invalidCSV() {
    return Error(domain, invalidCSVCode,
                 QStringLiteral("CSV 형식 또는 값이 올바르지 않습니다. 기존 파일을 보존했습니다. "
                                "CSV의 헤더, 별점(0~5), ID와 날짜 열을 확인해주세요."));
}

bool isInvalidCSV(const Error& error) {
    return error.domain() == domain && error.code() == invalidCSVCode;
}

}  // namespace lumivex::CatalogError
