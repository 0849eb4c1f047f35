#pragma once

#include <QString>

namespace lumivex {

// Korean particles take one form after a final consonant and another after a vowel (이/가,
// 을/를, 은/는, 과/와, 으로/로). A word ends in a consonant when its last Hangul syllable has a
// final consonant, or, for a name in Latin letters, when its last letter is not a vowel. Any
// thread.
namespace KoreanParticle {

enum class Particle { subject, object, topic, with, toward };

// Whether `word` ends in a final consonant.
bool endsInConsonant(const QString& word);
// `word` followed by the form of `particle` that its ending takes.
QString attach(const QString& word, Particle particle);

}  // namespace KoreanParticle
}  // namespace lumivex
