#pragma once
// Texts of the call screens (call list, call information, area code, alerts).
// UTF-16 literals; the source is UTF-8.

namespace CallsText {
// Shared.
constexpr const wchar_t* kNotice = L"알림";
constexpr const wchar_t* kWarning = L"경고";
constexpr const wchar_t* kAskDelete = L"삭제 하시겠습니까 ?";
constexpr const wchar_t* kAskDeleteAll = L"모두 삭제 하시겠습니까 ?";
constexpr const wchar_t* kNotSaved = L"설정을 저장하지 못했습니다.";
constexpr const wchar_t* kResetLabel = L"초기화";

// Call information.
constexpr const wchar_t* kCallInfoTitle = L"통화정보";
constexpr const wchar_t* kLastIn = L"최근수신 시간";
constexpr const wchar_t* kTotalIn = L"총수신 시간";
constexpr const wchar_t* kLastOut = L"최근발신 시간";
constexpr const wchar_t* kTotalOut = L"총발신 시간";
constexpr const wchar_t* kTotalCalls = L"총통화 시간";
constexpr const wchar_t* kInternetUse = L"인터넷 사용량";
constexpr const wchar_t* kPacketsFormat = L"%d 패킷";

// Automatic area code.
constexpr const wchar_t* kAreaTitle = L"지역번호";
constexpr const wchar_t* kAreaLabel = L"지역 번호";
constexpr const wchar_t* kUserDefined = L"사용자 정의";
constexpr const wchar_t* kAreaOn = L"설정";
constexpr const wchar_t* kAreaOff = L"해제";
constexpr const wchar_t* kAreaInvalid = L"지역번호는 숫자 9자리까지 입력하십시오.";

// Call list.
constexpr const wchar_t* kFilterAll = L"모두";
constexpr const wchar_t* kFilterOut = L"발신";
constexpr const wchar_t* kFilterIn = L"수신";
constexpr const wchar_t* kFilterMissed = L"부재";
constexpr const wchar_t* kHeaderAll = L"총 통화 : %d 개";
constexpr const wchar_t* kHeaderOut = L"총 발신 : %d 개";
constexpr const wchar_t* kHeaderIn = L"총 수신 : %d 개";
constexpr const wchar_t* kHeaderMissed = L"총 부재/거부 : %d 개";
constexpr const wchar_t* kColumnState = L"상태";
constexpr const wchar_t* kColumnNumber = L"전화번호";
constexpr const wchar_t* kColumnTime = L"시간";
constexpr const wchar_t* kAm = L"오전";
constexpr const wchar_t* kPm = L"오후";
constexpr const wchar_t* kDialFailed = L"발신 실패";
constexpr const wchar_t* kMissedCall = L"부재중 전화";
constexpr const wchar_t* kRejectedCall = L"수신 거부/제한";
constexpr const wchar_t* kUnknownCall = L"알수 없음";
constexpr const wchar_t* kPrivacyShown = L"사생활 보호중";
constexpr const wchar_t* kPrivacyRefused = L"사생활 보호중입니다.";
constexpr const wchar_t* kPhoneLocked = L"휴대폰이 잠겨 있습니다.\r\n\r\n잠금을 해제 하십시오.";
constexpr const wchar_t* kDetailHeader = L"통화 세부 정보 (%d/%d)";
constexpr const wchar_t* kKindOut = L"종류 : 발신";
constexpr const wchar_t* kKindIn = L"종류 : 수신";
constexpr const wchar_t* kKindMissed = L"종류 : 부재";
constexpr const wchar_t* kKindRejected = L"종류 : 수신 거부/제한";
constexpr const wchar_t* kKindUnknown = L"종류 : 알수 없음";
constexpr const wchar_t* kNumberLine = L"%ls : %ls";
constexpr const wchar_t* kNumberLabel = L"전화번호";
constexpr const wchar_t* kMenuCall = L"전화걸기";
constexpr const wchar_t* kMenuText = L"문자보내기";
constexpr const wchar_t* kMenuAddContact = L"주소록추가";
constexpr const wchar_t* kMenuDelete = L"삭제";
constexpr const wchar_t* kDetailCall = L"전화걸기";
constexpr const wchar_t* kDetailText = L"문자보내기";
constexpr const wchar_t* kDetailAdd = L"주소록추가";
constexpr const wchar_t* kDetailDelete = L"삭제";
constexpr const wchar_t* kStoreDamaged = L"통화 목록을 읽지 못했습니다.";
}  // namespace CallsText

namespace CallsText {
// Ring tone and alert sounds.
constexpr const wchar_t* kBellTitle = L"벨소리 선택";
constexpr const wchar_t* kAlertTitle = L"알림음 설정";
constexpr const wchar_t* kModuleBell = L"젠트리카 벨소리";
constexpr const wchar_t* kHandheldBell = L"PDA 벨소리";
constexpr const wchar_t* kSilent = L"무음";
constexpr const wchar_t* kKeypadTone = L"키패드음";
constexpr const wchar_t* kConnectTone = L"통화 연결음";
constexpr const wchar_t* kDisconnectTone = L"통화 끊김음";
constexpr const wchar_t* kMessageTone = L"메시지 수신음";
constexpr const wchar_t* kMinuteTone = L"경과음";
constexpr const wchar_t* kMinutesFormat = L"%d 분";
}  // namespace CallsText

namespace CallsText {
// Call rejection.
constexpr const wchar_t* kRejectTitle = L"수신 거부";
}  // namespace CallsText
