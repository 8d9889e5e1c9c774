#include "about/LicenceText.h"

namespace {

// Paragraphs are single lines; the viewer wraps them to its width.
constexpr char16_t Agreement[] = uR"(KENDRIX LICENCE AGREEMENT
HBQ ORX DRILL ORGANIZER, Version 1.0

PLEASE READ THIS AGREEMENT CAREFULLY BEFORE USING THE PROGRAM. By installing, copying or using the HBQ ORX DRILL ORGANIZER (the "Program") you agree to be bound by the terms of this agreement. If you do not agree to them, do not install or use the Program, and delete every copy of it in your possession.

1. PARTIES. This agreement is made between you, the person or company using the Program (the "Licensee"), and HBQ Marine Software Ltd., which publishes its programs under the name Kendrix (the "Licensor").

2. GRANT OF LICENCE. The Program is freeware. The Licensor grants you a free, non-exclusive and non-transferable licence to install and use the Program on any number of computers of your organisation, for the planning and recording of emergency-response drills of the ships you manage or operate.

3. DISTRIBUTION. You may copy the Program and give it to others, provided that every copy is complete and unchanged, includes this agreement, and is given away free of charge. You may not sell, rent or lease the Program, include it in a product that is sold, or charge any fee for copying or distributing it, other than the actual cost of the medium.

4. RESTRICTIONS. You may not modify, translate, reverse engineer, decompile or disassemble the Program, except to the extent that the applicable law expressly permits it despite this restriction. You may not remove or alter any copyright notice, trade mark or licence text shown by the Program.

5. OWNERSHIP. The Program is licensed, not sold. All title, copyright and other intellectual property rights in the Program, its documentation, its pictures and its report layouts remain with the Licensor. The names "HBQ", "ORX" and "Kendrix" are the Licensor's trade marks.

6. YOUR DATA. The drill records, ship names, evaluations and reports that you enter into or produce with the Program belong to you. The Program keeps them in a database file on your own computer and sends nothing to the Licensor. You are responsible for keeping backup copies of that file.

7. NO WARRANTY. THE PROGRAM IS PROVIDED "AS IS", WITHOUT WARRANTY OF ANY KIND, EXPRESS OR IMPLIED, INCLUDING BUT NOT LIMITED TO THE WARRANTIES OF MERCHANTABILITY, FITNESS FOR A PARTICULAR PURPOSE AND NON-INFRINGEMENT. THE ENTIRE RISK AS TO THE QUALITY AND PERFORMANCE OF THE PROGRAM IS WITH YOU.

8. SAFETY OF LIFE AT SEA. The Program is an aid to office administration only. It does not replace the safety management system of your company, the requirements of the flag state, of the classification society or of any international convention, nor the professional judgement of masters, officers and shore staff. Drill dates and evaluations shown by the Program must be checked against the ships' official records.

9. LIMITATION OF LIABILITY. TO THE FULLEST EXTENT PERMITTED BY LAW, IN NO EVENT SHALL THE LICENSOR BE LIABLE FOR ANY DAMAGES WHATSOEVER, INCLUDING WITHOUT LIMITATION DAMAGES FOR LOSS OF PROFITS, LOSS OF DATA, INTERRUPTION OF BUSINESS, DETENTION OF A SHIP OR ANY OTHER LOSS, ARISING OUT OF THE USE OF OR INABILITY TO USE THE PROGRAM, EVEN IF THE LICENSOR HAS BEEN ADVISED OF THE POSSIBILITY OF SUCH DAMAGES.

10. SUPPORT AND UPDATES. The Licensor is under no obligation to provide support, maintenance, corrections or new versions of the Program. Any update that the Licensor chooses to publish is governed by this agreement unless it comes with an agreement of its own.

11. TERMINATION. This licence is effective until terminated. It terminates automatically if you fail to comply with any of its terms. On termination you must stop using the Program and destroy all copies of it. Sections 5 to 9 and 12 survive termination.

12. GOVERNING LAW. This agreement is governed by the laws of the country in which the Licensor has its registered office, without regard to its rules on conflict of laws. Any dispute arising out of this agreement shall be brought before the competent courts of that country, unless a mandatory rule of the law of your country provides otherwise.

13. GENERAL. This agreement is the entire agreement between you and the Licensor concerning the Program. If any provision of it is held to be unenforceable, the remaining provisions stay in full force. A failure to enforce any right under this agreement is not a waiver of that right.

Copyright (c) 2024 HBQ Marine Software Ltd. All rights reserved.
)";

} // namespace

QString LicenceText::agreement()
{
    return QString::fromUtf16(Agreement).trimmed();
}
