#include "platform/korean_particle.h"

namespace lumivex::KoreanParticle {

namespace {

constexpr char16_t firstSyllable = 0xAC00;
constexpr char16_t lastSyllable = 0xD7A3;
constexpr int finals = 28;
constexpr int finalRieul = 8;

struct Ending {
    bool consonant = false;
    bool rieul = false;  // ㄹ, after which "으로" is "로"
};

Ending endingOf(const QString& word) {
    for (qsizetype at = word.size() - 1; at >= 0; --at) {
        const QChar c = word.at(at);
        if (c.unicode() >= firstSyllable && c.unicode() <= lastSyllable) {
            const int final = (c.unicode() - firstSyllable) % finals;
            return {final != 0, final == finalRieul};
        }
        if (c.isLetter()) {
            const QChar lower = c.toLower();
            const bool vowel = QStringLiteral("aeiouy").contains(lower);
            return {!vowel, lower == u'l'};
        }
        if (c.isDigit()) {
            // Read in Korean: 0 영, 1 일, 3 삼, 6 육, 7 칠, 8 팔 end in a consonant.
            const int digit = c.digitValue();
            return {QStringLiteral("013678").contains(c), digit == 1 || digit == 7 || digit == 8};
        }
    }
    return {};
}

}  // namespace

bool endsInConsonant(const QString& word) {
    return endingOf(word).consonant;
}

QString attach(const QString& word, Particle particle) {
    const Ending ending = endingOf(word);
    const bool c = ending.consonant;
    switch (particle) {
        case Particle::subject:
            return word + (c ? QStringLiteral("이") : QStringLiteral("가"));
        case Particle::object:
            return word + (c ? QStringLiteral("을") : QStringLiteral("를"));
        case Particle::topic:
            return word + (c ? QStringLiteral("은") : QStringLiteral("는"));
        case Particle::with:
            return word + (c ? QStringLiteral("과") : QStringLiteral("와"));
        case Particle::toward:
            return word + (c && !ending.rieul ? QStringLiteral("으로") : QStringLiteral("로"));
    }
    return word;
}

}  // namespace lumivex::KoreanParticle
