#include "platform/korean_particle.h"

#include <QStringList>
#include "platform/app_brand.h"

#include <gtest/gtest.h>

namespace lumivex {
namespace {

using KoreanParticle::attach;
using P = KoreanParticle::Particle;

TEST(KoreanParticle, EachParticleFollowsTheWordsEnding) {
    struct Case {
        QString word;
        QStringList forms;  // subject, object, topic, with, toward
    };
    const Case cases[] = {
        {QStringLiteral("Dovrin"),
         {QStringLiteral("이"), QStringLiteral("을"), QStringLiteral("은"), QStringLiteral("과"),
          QStringLiteral("으로")}},
        {QStringLiteral("사진"),
         {QStringLiteral("이"), QStringLiteral("을"), QStringLiteral("은"), QStringLiteral("과"),
          QStringLiteral("으로")}},
        {QStringLiteral("폴더"),
         {QStringLiteral("가"), QStringLiteral("를"), QStringLiteral("는"), QStringLiteral("와"),
          QStringLiteral("로")}},
        // After ㄹ the direction particle is 로, the others keep the consonant form.
        {QStringLiteral("서울"),
         {QStringLiteral("이"), QStringLiteral("을"), QStringLiteral("은"), QStringLiteral("과"),
          QStringLiteral("로")}},
        {QStringLiteral("Mail"),
         {QStringLiteral("이"), QStringLiteral("을"), QStringLiteral("은"), QStringLiteral("과"),
          QStringLiteral("로")}},
        {QStringLiteral("Lumivex"),
         {QStringLiteral("이"), QStringLiteral("을"), QStringLiteral("은"), QStringLiteral("과"),
          QStringLiteral("으로")}},
        {QStringLiteral("Piko"),
         {QStringLiteral("가"), QStringLiteral("를"), QStringLiteral("는"), QStringLiteral("와"),
          QStringLiteral("로")}},
        // Closing marks are passed over; digits are read in Korean (삼, 이, 칠).
        {QStringLiteral("앨범 (사진)"),
         {QStringLiteral("이"), QStringLiteral("을"), QStringLiteral("은"), QStringLiteral("과"),
          QStringLiteral("으로")}},
        {QStringLiteral("버전 3"),
         {QStringLiteral("이"), QStringLiteral("을"), QStringLiteral("은"), QStringLiteral("과"),
          QStringLiteral("으로")}},
        {QStringLiteral("버전 2"),
         {QStringLiteral("가"), QStringLiteral("를"), QStringLiteral("는"), QStringLiteral("와"),
          QStringLiteral("로")}},
        {QStringLiteral("7"),
         {QStringLiteral("이"), QStringLiteral("을"), QStringLiteral("은"), QStringLiteral("과"),
          QStringLiteral("로")}},
        {QString(),
         {QStringLiteral("가"), QStringLiteral("를"), QStringLiteral("는"), QStringLiteral("와"),
          QStringLiteral("로")}},
    };
    const P particles[] = {P::subject, P::object, P::topic, P::with, P::toward};
    for (const Case& c : cases) {
        for (int i = 0; i < 5; ++i) {
            EXPECT_EQ(attach(c.word, particles[i]), c.word + c.forms[i]) << c.word.toStdString();
        }
    }
}

TEST(KoreanParticle, TheProductNameTakesTheConsonantForms) {
    ASSERT_EQ(AppBrand::name(), QStringLiteral("Dovrin"));
    EXPECT_EQ(AppBrand::nameWith(P::subject), QStringLiteral("Dovrin이"));
    EXPECT_EQ(AppBrand::nameWith(P::toward), QStringLiteral("Dovrin으로"));
}

}  // namespace
}  // namespace lumivex
